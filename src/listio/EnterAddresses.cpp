// OK of the "Enter Addresses" dialog.
#include "listio/EnterAddresses.h"

#include "base/UserPrompt.h"
#include "listio/ImportLines.h"
#include "listio/ListImport.h"
#include "requests/EntryRules.h"

#include <QRegularExpression>

namespace corvane {

QString EnterAddresses::question(qsizetype lines) {
    return QStringLiteral("How should these ") + (lines > 0 ? QString::number(lines) : QString()) +
           QStringLiteral(" addresses be processed?");
}

QStringList EnterAddresses::linesOf(const QString &text) {
    if (text.isEmpty()) {
        return {};
    }
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineEnd);
    if (lines.size() > 1 && lines.constLast().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

bool EnterAddresses::accept(EntryRules &rules, UserPrompt &prompt, const QStringList &lines, Choice choice,
                            const QString &addCategory, bool removeAll, const QString &removeCategory,
                            bool *completed) {
    if (choice == Choice::Remove && !removeAll && removeCategory.isEmpty()) {
        prompt.message(UserPrompt::Kind::Information,
                       QStringLiteral("You have not entered a category to remove these addresses from!"),
                       UserPrompt::Ok);
        return false;
    }
    const QString category = choice == Choice::Remove ? (removeAll ? QString() : removeCategory) : addCategory;
    if (choice != Choice::Undeliverable && !category.isEmpty() && !rules.CheckCategory(category)) {
        return false;
    }
    ImportLines source(lines);
    ListImport run(rules, prompt);
    run.Importfile(source, choice == Choice::Add, false, commentPrefix(), category, choice == Choice::Undeliverable);
    if (completed != nullptr) {
        *completed = run.completed();
    }
    return true;
}

} // namespace corvane
