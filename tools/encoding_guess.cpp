// Prints the format the program reads each file in, one line a file: its name, a tab, and
// the status bar's name for the format ("EUC-JP LF", ...); with -v also the file's valid and
// invalid UTF-8 multi-byte sequences. For comparing the decision with other tools on a corpus
// (tools/encoding-corpus.sh).
//   encoding_guess [-v] FILE...
#include "document/LineStore.h"
#include "document/TextRead.h"
#include "text/Utf8.h"

#include <QFile>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    int status = 0;
    const bool counts = argc > 1 && std::strcmp(argv[1], "-v") == 0;
    for (int i = counts ? 2 : 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        LineStore store;
        if (const ErrorCode err = text_read(path, store).error) {
            std::fprintf(stderr, "%s: error %d\n", argv[i], int(err.value()));
            status = 1;
            continue;
        }
        std::printf("%s\t%s", argv[i], formatName(store.format()).toUtf8().constData());
        if (counts) {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            const QByteArray bytes = f.readAll();
            utf8::Counts c;
            const qsizetype skip = bytes.startsWith("\xef\xbb\xbf") ? 3 : 0;
            utf8::countSequences(reinterpret_cast<const unsigned char*>(bytes.constData()) + skip,
                                 std::size_t(bytes.size() - skip), true, c);
            std::printf("\t%llu\t%llu", static_cast<unsigned long long>(c.valid),
                        static_cast<unsigned long long>(c.invalid));
        }
        std::printf("\n");
    }
    return status;
}
