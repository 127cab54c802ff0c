#pragma once
// A document's rows as the tests compare them.
#include "document/LineStore.h"
#include "document/TextRead.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"

#include <QStringList>
#include <vector>

// The selected rows, in ascending order.
inline std::vector<std::size_t> selectedRows(const LineStore& s) {
    std::vector<std::size_t> out;
    s.forEachSelected([&](std::size_t r) {
        out.push_back(r);
        return true;
    });
    return out;
}

// Every row's text.
inline QStringList rowTexts(const LineStore& s) {
    QStringList out;
    for (std::size_t i = 0; i < s.rowCount(); ++i)
        out << s.rowText(i);
    return out;
}

// Reads bytes into store from a real file, as the program reads one (in forced's format if
// given); whether it read without an error.
inline bool readBytes(LineStore& store, const QByteArray& bytes,
                      std::optional<TextFormat> forced = std::nullopt) {
    TempDir dir;
    return text_read(dir.write(QStringLiteral("t.txt"), bytes), store, nullptr, forced).error ==
           ErrorCode::None;
}
