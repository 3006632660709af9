// The file table of the rule lists and texts.
#include "settings/SettingsFiles.h"

#include "base/LineText.h"

#include <algorithm>

namespace corvane {

namespace {

SettingsFiles::File ruleFile(const char *name, RuleList Settings::*member) {
    return {QString::fromLatin1(name), true,
            [member](const Settings &s) { return LineText::oneLine((s.*member).items()); },
            [member](Settings &s, const QStringList &lines) { (s.*member).setItems(lines); }};
}

SettingsFiles::File textFile(const char *name, QStringList Settings::*member, bool isList = false) {
    return {QString::fromLatin1(name), isList, [member](const Settings &s) { return LineText::oneLine(s.*member); },
            [member](Settings &s, const QStringList &lines) { s.*member = lines; }};
}

} // namespace

void SettingsFiles::File::restoreBuiltIn(Settings &settings) const {
    static const Settings builtIn;
    assign(settings, lines(builtIn));
}

const std::vector<SettingsFiles::File> &SettingsFiles::loadOrder() {
    using S = Settings;
    static const std::vector<File> files = {
        textFile("AckHeader.txt", &S::AckHeader),          textFile("AckFooter.txt", &S::AckFooter),
        ruleFile("except.txt", &S::AddressExceptions),     ruleFile("remstr.txt", &S::RemoveSynonyms),
        ruleFile("Modifystr.txt", &S::ModifySynonyms),     ruleFile("addstr.txt", &S::AddSynonyms),
        textFile("cats.txt", &S::AllowedCategories, true), textFile("signature.txt", &S::Signature),
        ruleFile("never.txt", &S::BlockedAddresses),       ruleFile("failed.txt", &S::FailureSubjects),
    };
    return files;
}

const std::vector<const SettingsFiles::File *> &SettingsFiles::saveOrder() {
    static const std::vector<const File *> order = [] {
        const QStringList names = {
            QStringLiteral("AckFooter.txt"), QStringLiteral("AckHeader.txt"), QStringLiteral("except.txt"),
            QStringLiteral("remstr.txt"),    QStringLiteral("Modifystr.txt"), QStringLiteral("addstr.txt"),
            QStringLiteral("signature.txt"), QStringLiteral("cats.txt"),      QStringLiteral("never.txt"),
            QStringLiteral("failed.txt"),
        };
        std::vector<const File *> resolved;
        for (const QString &name : names) {
            const auto &files = loadOrder();
            const auto it = std::find_if(files.begin(), files.end(), [&](const File &f) { return f.name == name; });
            if (it == files.end()) {
                qFatal("Settings files: no file \"%s\"", qPrintable(name));
            }
            resolved.push_back(&*it);
        }
        if (resolved.size() != loadOrder().size()) {
            qFatal("Settings files: %zu of %zu files saved", resolved.size(), loadOrder().size());
        }
        return resolved;
    }();
    return order;
}

} // namespace corvane
