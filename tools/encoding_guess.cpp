// Prints the format the program reads each file in, one line a file: its name, a tab, and
// the status bar's name for the format ("EUC-JP LF", ...). For comparing the decision with
// other tools on a corpus (tools/encoding-corpus.sh).
//   encoding_guess FILE...
#include "document/LineStore.h"
#include "document/TextRead.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        LineStore store;
        if (int err = text_read(QString::fromLocal8Bit(argv[i]), store)) {
            std::fprintf(stderr, "%s: error %d\n", argv[i], err);
            status = 1;
            continue;
        }
        std::printf("%s\t%s\n", argv[i], formatName(store.format()).toUtf8().constData());
    }
    return status;
}
