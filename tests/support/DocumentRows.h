#pragma once
// A document's rows as the tests compare them.
#include "document/LineStore.h"

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
