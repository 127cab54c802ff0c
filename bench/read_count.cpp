// The floor of any program that keeps a file in memory: reads the whole file into a new buffer
// and counts its line ends (CRs; LFs with "lf").
//   karvel_read_count FILE [lf]
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const char end = argc > 2 && std::strcmp(argv[2], "lf") == 0 ? '\n' : '\r';
    const int fd = ::open(argv[1], O_RDONLY);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return 1;
    const std::size_t size = std::size_t(st.st_size);
    std::unique_ptr<char[]> buffer(new char[size]);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n =
            ::read(fd, buffer.get() + got, std::min<std::size_t>(size - got, 4 << 20));
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    ::close(fd);
    std::printf("%zu\n", std::size_t(std::count(buffer.get(), buffer.get() + got, end)));
    return 0;
}
