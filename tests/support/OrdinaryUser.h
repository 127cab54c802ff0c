#pragma once
// Real conditions that need root to set up: a small disk that fills up, and running a check as
// an ordinary user (where permissions matter, root would pass where a user fails).
#include <QString>
#include <QTemporaryDir>
#include <functional>

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

// Runs check in a child process as the user "nobody" when this process is root (the child
// drops every group), or directly otherwise; returns whether check returned true and the
// child ended normally. Paths the check uses must be reachable by that user
// (see makeReachable).
bool asOrdinaryUser(const std::function<bool()>& check);

// Makes path (a directory made by the tests) and the directories above it searchable by every
// user, and path itself writable by every user.
void makeReachable(const QString& path);
