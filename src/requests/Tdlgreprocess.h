// The "Reprocess Entry" form, free of widgets: the action (add or remove), the address, the category with
// the allowed categories offered, the "Ignore All Rules" box and the reason the address was refused, as
// the errors window fills them from one failed request. The dialog in requests/ui shows and edits it.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class Settings;

class Tdlgreprocess {
public:
    // The form for a request of the given kind ("ADD" in any letter case chooses "Add E-mail Address", any
    // other kind "Remove E-mail Address"), address and category: the categories offered are the allowed
    // categories, the reason is the address's validity as it stands now (see reasonFor), the box unticked.
    Tdlgreprocess(const Settings &settings, const QString &kind, const QString &address, const QString &lineCategory);

    // "None" when `address` passes the validity rules and the exception list, otherwise the text of the
    // failing rule's code.
    static QString reasonFor(const QString &address, const QStringList &exceptions);

    // OK may be pressed only while the address is not empty.
    bool okEnabled() const { return !email.isEmpty(); }

    bool add = true;
    QString email;
    QString category;
    bool ignoreAllRules = false;
    QStringList categories;
    // Filled once on showing; editing the address does not change it.
    QString reason;
};

} // namespace corvane
