// Address validity codes and their order, the exception list, the code texts, display-name splitting and the
// name helpers.
#include "requests/AddressRoutines.h"

#include <QTest>

using namespace corvane;

namespace {

QString repeated(char c, int count) {
    return QString(count, QLatin1Char(c));
}

// A domain of exactly `length` characters ending in ".com".
QString domainOfLength(int length) {
    return repeated('d', length - 4) + QStringLiteral(".com");
}

} // namespace

class TestAddressRoutines : public QObject {
    Q_OBJECT

private slots:
    void standardRules_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("code");

        QTest::newRow("valid") << "john.doe@example.com" << 0;
        QTest::newRow("all permitted signs") << "a$%'+-/_b@sub-1.example.co.uk" << 0;
        QTest::newRow("empty") << "" << 2;
        QTest::newRow("no @") << "john.example.com" << 1;
        QTest::newRow("no @ outranks invalid character") << "john doe" << 1;
        QTest::newRow("space") << "john doe@example.com" << 5;
        QTest::newRow("non-ASCII letter") << "j\u00f6hn@example.com" << 5;
        QTest::newRow("@ first") << "@example.com" << 6;
        QTest::newRow("invalid character outranks @ first") << "@exa mple.com" << 5;
        QTest::newRow("only @ last") << "john@" << 7;

        const QString user65 = repeated('u', 65);
        QTest::newRow("user part 64") << repeated('u', 64) + "@example.com" << 0;
        QTest::newRow("user part 65") << user65 + "@example.com" << 3;
        QTest::newRow("domain 256") << "john@" + domainOfLength(256) << 0;
        QTest::newRow("domain 257") << "john@" + domainOfLength(257) << 4;
        QTest::newRow("domain 257 and user 65") << user65 + "@" + domainOfLength(257) << 4;
        QTest::newRow("user 65 outranks dot rules") << user65 + "@localhost" << 3;

        QTest::newRow("user leading dot") << ".john@example.com" << 5;
        QTest::newRow("user trailing dot") << "john.@example.com" << 5;
        QTest::newRow("user double dot") << "jo..hn@example.com" << 5;
        QTest::newRow("domain leading dot") << "john@.example.com" << 5;
        QTest::newRow("domain trailing dot") << "john@example.com." << 5;
        QTest::newRow("domain double dot") << "john@example..com" << 5;
        QTest::newRow("label leading hyphen") << "john@-example.com" << 5;
        QTest::newRow("label trailing hyphen") << "john@mail.example-.com" << 5;
        QTest::newRow("inner hyphen") << "john@my-example.com" << 0;
        QTest::newRow("last label leading hyphen passes") << "john@example.-com" << 0;
        QTest::newRow("last label trailing hyphen passes") << "john@example.com-" << 0;

        QTest::newRow("second @") << "john@example@test.com" << 10;
        QTest::newRow("@@") << "john@@example.com" << 10;
        QTest::newRow("double dot before second @") << "john@a..b@c.com" << 5;
        QTest::newRow("second @ before double dot") << "john@a@b..com" << 10;
        QTest::newRow("no dot in domain") << "john@localhost" << 8;
        QTest::newRow("no dot, hyphen label") << "john@-localhost" << 8;

        // Every printable ASCII sign outside the permitted nine, control characters and U+00A0, in either part.
        const QString forbidden = QStringLiteral("\"!#&*=?^{|}~(),:;<>[]\\`\t\x01\u00a0");
        for (const QChar c : forbidden) {
            const QByteArray name = "forbidden U+" + QByteArray::number(c.unicode(), 16);
            QTest::newRow(name + " in user") << QStringLiteral("jo") + c + QStringLiteral("hn@example.com") << 5;
            QTest::newRow(name + " in domain") << QStringLiteral("john@exa") + c + QStringLiteral("mple.com") << 5;
        }
    }
    void standardRules() {
        QFETCH(QString, address);
        QFETCH(int, code);
        const AddressRoutines::Validity result = AddressRoutines::validemailaddress(address);
        QCOMPARE(result.code, code);
        QCOMPARE(result.valid, code == 0);
    }

    void exceptionList_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("exceptions");
        QTest::addColumn<int>("withList");
        QTest::addColumn<int>("withoutList");

        QTest::newRow("fragment found") << "someone@hotmial.com" << QStringList{"abuse@", "hotmial"} << 101 << 0;
        QTest::newRow("other letter case passes") << "someone@HotMial.com" << QStringList{"hotmial"} << 0 << 0;
        QTest::newRow("empty entry ignored") << "someone@example.com" << QStringList{"", "zzz"} << 0 << 0;
        QTest::newRow("standard rule first") << "some one@hotmial.com" << QStringList{"hotmial"} << 5 << 5;
    }
    void exceptionList() {
        QFETCH(QString, address);
        QFETCH(QStringList, exceptions);
        QFETCH(int, withList);
        QFETCH(int, withoutList);
        const AddressRoutines::Validity checked = AddressRoutines::validemailaddress(address, &exceptions);
        QCOMPARE(checked.code, withList);
        QCOMPARE(checked.valid, withList == 0);
        QCOMPARE(AddressRoutines::validemailaddress(address).code, withoutList);
        QCOMPARE(AddressRoutines::validemailaddress(QStringView(address), &exceptions).code, withList);
    }

    void errorTexts_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "Unknown error occured!";
        QTest::newRow("8") << 8 << "The domain TLD part is missing (.com, .net, etc)";
        QTest::newRow("101") << 101 << "E-mail address contains Exception text as set in Options";
        QTest::newRow("-1") << -1 << "Invalid error code!";
        QTest::newRow("102") << 102 << "Invalid error code!";
    }
    void errorTexts() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(AddressRoutines::GetEmailErrorCode(code), text);
    }

    void displayNameSplitting_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("bareAddress");
        QTest::addColumn<QString>("cleanName");

        const QString jane = QStringLiteral("jane@example.com");
        QTest::newRow("quoted surname, given") << "\"Roe, Jane\" <jane@example.com>"
                                               << "" << jane << "Jane Roe";
        QTest::newRow("angle brackets only") << "<jane@example.com>"
                                             << "" << jane << "";
        QTest::newRow("name holding @ replaced") << "Jane Roe <jane@example.com>" << jane << jane << "Jane Roe";
        QTest::newRow("given name wins") << "Jane Roe <jane@example.com>"
                                         << "\"Roe, Janet\"" << jane << "Janet Roe";
        QTest::newRow("spaces inside brackets") << "  Jane   <  jane@example.com  >  "
                                                << "" << jane << "Jane";
        QTest::newRow("prefix holding @") << "jane@example.com <jane@example.com>"
                                          << "" << jane << "";
        QTest::newRow("bare address, name tidied") << jane << " \"Jane Roe\"\t" << jane << "Jane Roe";
        QTest::newRow("bare address keeps comma") << jane << "Roe, Jane" << jane << "Roe, Jane";
    }
    void displayNameSplitting() {
        QFETCH(QString, address);
        QFETCH(QString, name);
        QFETCH(QString, bareAddress);
        QFETCH(QString, cleanName);
        AddressRoutines::SMTPAddressToEmailName(address, name);
        QCOMPARE(address, bareAddress);
        QCOMPARE(name, cleanName);
    }

    // Name helpers: one table, the helper named per row.
    void nameHelpers_data() {
        QTest::addColumn<QString>("helper");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("clean: control characters") << "clean"
                                                   << "\x01\t \"John\" \r\n"
                                                   << "John";
        QTest::newRow("clean: no-break space kept") << "clean"
                                                    << "\u00a0John"
                                                    << "\u00a0John";
        QTest::newRow("clean: holding @") << "clean"
                                          << "\"john@example.com\""
                                          << "";
        QTest::newRow("clean: one quote each side") << "clean"
                                                    << "\"\"John\"\""
                                                    << "\"John\"";
        QTest::newRow("clean: trailing quote only") << "clean"
                                                    << "John\""
                                                    << "John";
        QTest::newRow("comma: surname, given") << "comma"
                                               << "Doe,  John "
                                               << "John Doe";
        QTest::newRow("comma: none") << "comma"
                                     << "John Doe"
                                     << "John Doe";
        QTest::newRow("comma: leading") << "comma"
                                        << ",John Doe"
                                        << ",John Doe";
        QTest::newRow("comma: only comma last") << "comma"
                                                << "Doe,"
                                                << " Doe";
        QTest::newRow("comma: first comma splits") << "comma"
                                                   << "Doe, John, Jr."
                                                   << "John, Jr. Doe";
        QTest::newRow("salutation: first word") << "salutation"
                                                << "Mary-Ann Smith"
                                                << "Mary-Ann";
        QTest::newRow("salutation: single word") << "salutation"
                                                 << "Madonna"
                                                 << "Madonna";
        QTest::newRow("salutation: tab trimmed") << "salutation"
                                                 << "\tJohn Doe"
                                                 << "John";
        QTest::newRow("salutation: leading space") << "salutation"
                                                   << " John Doe"
                                                   << "";
        QTest::newRow("salutation: empty") << "salutation"
                                           << ""
                                           << "";
    }
    void nameHelpers() {
        QFETCH(QString, helper);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        if (helper == QLatin1String("clean")) {
            QCOMPARE(AddressRoutines::CleanDisplayName(input), expected);
        } else if (helper == QLatin1String("comma")) {
            QCOMPARE(AddressRoutines::RemoveCommaFromName(input), expected);
        } else {
            QCOMPARE(AddressRoutines::SalutationFromName(input), expected);
        }
    }

    void looksLikeAddress_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("expected");
        QTest::newRow("address") << "john@example.com" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("@ first") << "@example.com" << false;
        QTest::newRow("dot first") << ".john@example" << false;
        QTest::newRow("@ last") << "john.doe@" << false;
        QTest::newRow("no @") << "john.doe" << false;
        QTest::newRow("no dot") << "john@localhost" << false;
        QTest::newRow("space") << "john@example. com" << false;
    }
    void looksLikeAddress() {
        QFETCH(QString, word);
        QFETCH(bool, expected);
        QCOMPARE(AddressRoutines::LooksLikeAddress(word), expected);
    }
};

QTEST_GUILESS_MAIN(TestAddressRoutines)
#include "tst_addressroutines.moc"
