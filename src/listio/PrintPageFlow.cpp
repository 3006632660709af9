// The page layout of the printed list.
#include "listio/PrintPageFlow.h"

#include <algorithm>

namespace corvane {

PrintPageFlow::PrintPageFlow(int linesPerPage, int fromPage, int toPage)
    : m_linesPerPage(std::max(1, linesPerPage)), m_fromPage(std::max(1, fromPage)),
      m_toPage(toPage >= m_fromPage ? toPage : INT_MAX) {}

PrintPageFlow::Place PrintPageFlow::next() {
    if (m_row == m_linesPerPage) {
        m_row = 0;
        ++m_page;
    }
    Place place;
    place.page = m_page;
    place.row = m_row;
    place.drawn = m_page >= m_fromPage && m_page <= m_toPage;
    if (place.drawn) {
        place.newPage = m_row == 0 && m_pageStarted;
        m_pageStarted = true;
    }
    ++m_row;
    return place;
}

} // namespace corvane
