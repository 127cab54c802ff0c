#pragma once
// Long work (loading, searching, printing, writing) runs in pieces on the window's thread and
// reports after each piece how far it has come; the answer says whether to go on. The window
// keeps painting meanwhile, and the person can stop the work.
#include <cstdint>

class Progress {
  public:
    virtual ~Progress() = default;
    // done of total (bytes or rows); false once the person asked to stop. Cheap enough to call
    // after every row.
    virtual bool advance(std::uint64_t done, std::uint64_t total) = 0;
    // The same within one row: false only when the person asked to stop, so that a program
    // that is ending finishes the row it prints.
    virtual bool advanceInRow(std::uint64_t done, std::uint64_t total) {
        return advance(done, total);
    }
};
