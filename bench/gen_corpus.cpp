// Writes a log-like corpus: lines of about 100 bytes, Japanese and ASCII, from a fixed seed, so
// every run measures the same bytes. Code page 932 with CR LF, or the same rows in another form:
// "utf8", UTF-8 with LF, as Linux programs write them; "eucjp", EUC-JP with LF (characters it
// lacks as 〓); "utf16le", UTF-16LE with its byte order mark and CR LF, as Windows writes it.
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "text/Cp932.h"
#include "text/TextFormat.h"

int main(int argc, char** argv) {
    const std::string form = argc == 4 ? argv[3] : "";
    if ((argc != 3 && argc != 4) ||
        !(form.empty() || form == "utf8" || form == "eucjp" || form == "utf16le")) {
        std::fprintf(stderr, "usage: %s FILE ROWS [utf8|eucjp|utf16le]\n", argv[0]);
        return 2;
    }
    const TextEncoding encoding = form == "utf8"      ? TextEncoding::Utf8
                                  : form == "eucjp"   ? TextEncoding::EucJp
                                  : form == "utf16le" ? TextEncoding::Utf16Le
                                                      : TextEncoding::Cp932;
    const bool lf = encoding == TextEncoding::Utf8 || encoding == TextEncoding::EucJp;
    auto encoded_ = [&](const QString& text) {
        return encodeText(encoding, text).value_or(*encodeText(encoding, u"〓")).toStdString();
    };
    const long long rows = std::atoll(argv[2]);
    std::mt19937_64 rng(932);
    const QStringList words = {
        QStringLiteral("サーバー"), QStringLiteral("接続"),     QStringLiteral("ファイル"),
        QStringLiteral("表示"),     QStringLiteral("ソフト"),   QStringLiteral("データベース"),
        QStringLiteral("処理"),     QStringLiteral("完了"),     QStringLiteral("印刷"),
        QStringLiteral("ユーザー"), QStringLiteral("ﾃｽﾄ"),      QStringLiteral("能力"),
        QStringLiteral("①"),        QStringLiteral("纊"),       QStringLiteral("request"),
        QStringLiteral("timeout"),  QStringLiteral("id="),      QStringLiteral("path=C:\\logs\\"),
        QStringLiteral("status"),   QStringLiteral("OK"),       QStringLiteral("が"),
        QStringLiteral("を"),       QStringLiteral("しました"), QStringLiteral("。")};
    const char* levels[] = {"INFO ", "WARN ", "ERROR", "DEBUG", "TRACE", "NOTE ", "AUDIT", "FATAL"};
    // A line's length is counted in code page 932 bytes in both forms, so both hold the same rows.
    std::vector<std::string> encoded;
    std::vector<std::size_t> cp932Length;
    for (const QString& w : words) {
        const std::string cp = cp932::encode(w)->toStdString();
        encoded.push_back(encoded_(w));
        cp932Length.push_back(cp.size());
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (!out)
        return 1;
    if (encoding == TextEncoding::Utf16Le)
        std::fwrite("\xff\xfe", 1, 2, out);
    std::string line;
    for (long long i = 0; i < rows; ++i) {
        line.clear();
        char head[64];
        std::snprintf(head, sizeof head, "2026-12-%02d %02d:%02d:%02d %s ", int(1 + (i / 97) % 28),
                      int(rng() % 24), int(rng() % 60), int(rng() % 60), levels[rng() % 8]);
        line += encoded_(QString::fromLatin1(head));
        std::size_t length = std::strlen(head);
        const std::size_t target = 60 + rng() % 80;
        while (length < target) {
            const std::size_t w = rng() % encoded.size();
            line += encoded[w];
            length += cp932Length[w];
            if (rng() % 3 == 0)
                line += encoded_(QStringLiteral(" ")), ++length;
            if (rng() % 5 == 0) {
                const std::string number = std::to_string(rng() % 100000);
                line += encoded_(QString::fromStdString(number));
                length += number.size();
            }
        }
        line += encoded_(lf ? QStringLiteral("\n") : QStringLiteral("\r\n"));
        std::fwrite(line.data(), 1, line.size(), out);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
