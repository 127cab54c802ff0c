#include "SmallDisk.h"

#include <QFile>
#include <sys/mount.h>
#include <unistd.h>

SmallDisk::SmallDisk(int kib) {
    if (::geteuid() != 0 || !dir_.isValid())
        return;
    const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0777";
    mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                       options.constData()) == 0;
}

SmallDisk::~SmallDisk() {
    if (mounted_)
        ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}
