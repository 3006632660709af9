// The page layout of the printed list: which page and row each printed line takes, given the lines that fit
// on a page and the page range asked for, and when a new page must be started. Lines outside the range are
// counted but not drawn.
#pragma once

#include <climits>

namespace corvane {

class PrintPageFlow {
public:
    // Where one line goes: its page (from 1) and row (from 0); `drawn` when the page is in the range, and
    // `newPage` when the printer must turn to a fresh page before drawing it.
    struct Place {
        int page = 1;
        int row = 0;
        bool drawn = false;
        bool newPage = false;
    };

    // `linesPerPage` below 1 counts as 1; `toPage` below `fromPage` means to the end.
    PrintPageFlow(int linesPerPage, int fromPage = 1, int toPage = INT_MAX);

    // The place of the next line.
    Place next();
    // True once every row of the last page in the range has been taken.
    bool finished() const { return m_page > m_toPage || (m_page == m_toPage && m_row == m_linesPerPage); }
    int linesPerPage() const { return m_linesPerPage; }

private:
    int m_linesPerPage;
    int m_fromPage;
    int m_toPage;
    int m_page = 1;
    int m_row = 0;
    bool m_pageStarted = false;
};

} // namespace corvane
