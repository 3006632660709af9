// Tests of contacts folders: a folder of vCard files is a contacts folder, and each card of version 2.1, 3.0
// or 4.0 gives its first address and full name through folding, quoted-printable, charsets and escapes.
#include "MaildirFixture.h"
#include "base/CorvaneError.h"
#include "mailstore/MailFolders.h"
#include "mailstore/MailStoreApplication.h"

#include <QTest>

using namespace corvane;

class TestContacts : public QObject {
    Q_OBJECT

private slots:
    void cards_data();
    void cards();
    void folderKind();
    void brokenCardRaisesForItself();
};

void TestContacts::cards_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("email1");
    QTest::addColumn<QString>("fullName");
    QTest::newRow("2.1: quoted-printable soft break, ISO-8859-1, bare parameters")
        << "v21.vcf"
        << "juergen@example.org" << QString::fromUtf8("Jürgen Müller von der Langenstraße");
    QTest::newRow("3.0: folded lines, escapes")
        << "v30.vcf"
        << "jane.doe@example.com"
        << "Dr. Jane Doe, PhD of the Very Long Department Name That Needs Folding";
    QTest::newRow("4.0: CR LF, UTF-8, group prefix, quoted parameter")
        << "v40.vcf"
        << "elodie@example.com" << QString::fromUtf8("Élodie François");
    QTest::newRow("UTF-8 cut off at the end of a value: every byte kept")
        << "cutoff-utf8.vcf"
        << "jose@example.com" << QString::fromUtf8("Jos\u00c3");
    QTest::newRow("no FN: name from N") << "noname.vcf"
                                        << ""
                                        << "Mr. John Q Smith Jr.";
}

void TestContacts::cards() {
    QFETCH(QString, fixture);
    QFETCH(QString, email1);
    QFETCH(QString, fullName);
    test::MaildirFixture box;
    box.put(".Contacts", "cur", fixture, test::MaildirFixture::fixture(fixture));
    MailStoreApplication app(box.root());
    const MailFolder contacts = app.GetNameSpace("MAPI").Folders(1).Folders(QStringLiteral("Contacts"));
    QCOMPARE(contacts.DefaultItemType(), 2);
    const auto card = contacts.Items().Contact(1);
    QCOMPARE(card->Email1Address(), email1);
    QCOMPARE(card->FullName(), fullName);
    QCOMPARE(card->EntryID(), fixture);
}

void TestContacts::folderKind() {
    test::MaildirFixture box;
    const QString folder = QStringLiteral(".Contacts");
    box.put(folder, "cur", "b.vcf", test::MaildirFixture::fixture(QStringLiteral("v30.vcf")));
    box.put(folder, "new", "a.vcf", test::MaildirFixture::fixture(QStringLiteral("v21.vcf")));
    QFile loose(box.root() + "/.Contacts/c.vcf");
    QVERIFY(loose.open(QIODevice::WriteOnly));
    loose.write(test::MaildirFixture::fixture(QStringLiteral("v40.vcf")));
    loose.close();
    MailStoreApplication app(box.root());
    const MailFolder root = app.GetNameSpace("MAPI").Folders(1);
    const MailItems items = root.Folders(QStringLiteral("Contacts")).Items();
    QCOMPARE(items.Count(), 3);
    QStringList addresses;
    for (int i = 1; i <= items.Count(); ++i)
        addresses.append(items.Contact(i)->Email1Address());
    QCOMPARE(addresses, (QStringList{"juergen@example.org", "jane.doe@example.com", "elodie@example.com"}));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, items.Item(1));
    QCOMPARE(root.Folders(QStringLiteral("Contacts")).UnReadItemCount(), 0);

    box.put(folder, "new", "1700000000.M1.host", test::MaildirFixture::fixture(QStringLiteral("base64.eml")));
    QCOMPARE(root.Folders(QStringLiteral("Contacts")).DefaultItemType(), 0);
    QCOMPARE(root.Folders(QStringLiteral("Inbox")).DefaultItemType(), 0);
}

void TestContacts::brokenCardRaisesForItself() {
    test::MaildirFixture box;
    box.put(".Contacts", "cur", "1.vcf", test::MaildirFixture::fixture(QStringLiteral("broken.vcf")));
    box.put(".Contacts", "cur", "2.vcf", test::MaildirFixture::fixture(QStringLiteral("v30.vcf")));
    const QString vanishing =
        box.put(".Contacts", "cur", "3.vcf", test::MaildirFixture::fixture(QStringLiteral("v40.vcf")));
    const QStringList before = box.snapshot();
    MailStoreApplication app(box.root());
    const MailItems items = app.GetNameSpace("MAPI").Folders(1).Folders(QStringLiteral("Contacts")).Items();
    QCOMPARE(items.Count(), 3);
    QVERIFY_THROWS_EXCEPTION(CorvaneError, items.Contact(1)->Email1Address());
    QCOMPARE(items.Contact(2)->Email1Address(), QStringLiteral("jane.doe@example.com"));
    QCOMPARE(box.snapshot(), before);
    QVERIFY(QFile::remove(vanishing));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, items.Contact(3)->FullName());
}

QTEST_GUILESS_MAIN(TestContacts)
#include "tst_contacts.moc"
