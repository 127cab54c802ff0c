#pragma once
// A real full disk for the tests: a small tmpfs, which only root may mount.
#include <QString>
#include <QTemporaryDir>

// A tmpfs of the given size mounted on a temporary directory while the object lives; mounted()
// is false where this process may not mount (not root).
class SmallDisk {
  public:
    explicit SmallDisk(int kib);
    ~SmallDisk();
    bool mounted() const { return mounted_; }
    QString file(const QString& name) const { return dir_.filePath(name); }

  private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};
