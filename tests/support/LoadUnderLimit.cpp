// Loads a file with the address space limited to LIMIT_MIB, as a process of its own:
//   load_under_limit FILE LIMIT_MIB
// Exits 0 when the load succeeded or reported running out of memory, 10 + the error code
// for any other error; a crash shows as a signal.
#include "document/LineStore.h"
#include "document/TextRead.h"
#include "platform/RuntimeError.h"

#include <QString>
#include <cstdlib>
#include <sys/resource.h>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    struct rlimit limit {};
    ::getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = rlim_t(std::atoll(argv[2])) << 20;
    ::setrlimit(RLIMIT_AS, &limit);
    LineStore rows;
    const int err = text_read(QString::fromLocal8Bit(argv[1]), rows);
    return err == 0 || err == runtime_error::OutOfMemory ? 0 : 10 + err;
}
