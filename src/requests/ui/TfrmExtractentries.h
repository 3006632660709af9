// The scan window "Outlook Objects": "Accessing Outlook Entries..", the bar and the flat "x" button that sets
// the cancel flag. Shown modally; 350 ms after it appears the scan starts, and when the scan ends the window
// closes itself.
#pragma once

#include "requests/TfrmExtractentries.h"

#include <QDialog>

class QProgressBar;
class QToolButton;

namespace corvane {
class UserPrompt;
}

namespace corvane::ui {

class TfrmExtractentries : public QDialog {
    Q_OBJECT

public:
    TfrmExtractentries(corvane::TfrmExtractentries &scan, UserPrompt &prompt, bool requests, bool memberPosts,
                       QWidget *parent = nullptr);

    QProgressBar *pbprogress = nullptr;
    QToolButton *btnclose = nullptr;

    // Shows the window modally around one scan and returns the scan's summary.
    static corvane::TfrmExtractentries::Summary run(corvane::TfrmExtractentries &scan, UserPrompt &prompt,
                                                    bool requests, bool memberPosts, QWidget *parent);
    const corvane::TfrmExtractentries::Summary &summary() const { return m_summary; }

protected:
    void reject() override;

private:
    void OpenBtnClick();

    corvane::TfrmExtractentries &m_scan;
    UserPrompt &m_prompt;
    bool m_requests;
    bool m_memberPosts;
    bool m_running = false;
    corvane::TfrmExtractentries::Summary m_summary;
};

} // namespace corvane::ui
