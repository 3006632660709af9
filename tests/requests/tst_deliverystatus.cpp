// Delivery status notifications: the failed recipients read from the delivery-status fields, and the
// delivery-status part found in a report, both on hostile input.
#include "mailstore/DeliveryStatusPart.h"
#include "requests/DeliveryStatusReport.h"

#include <QTest>

using namespace corvane;

class TestDeliveryStatus : public QObject {
    Q_OBJECT

private slots:
    void failedRecipients_data();
    void failedRecipients();
    void part_data();
    void part();
};

void TestDeliveryStatus::failedRecipients_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("structured");
    QTest::addColumn<QStringList>("failed");

    const QByteArray head = "Reporting-MTA: dns; mx.example.com\r\nArrival-Date: Tue, 12 Mar 2024\r\n\r\n";
    QTest::newRow("failed, delayed, delivered, relayed, expanded")
        << head + "Final-Recipient: rfc822; a@example.com\r\nAction: failed\r\n\r\n"
                  "Final-Recipient: rfc822; b@example.com\r\nAction: delayed\r\n\r\n"
                  "Final-Recipient: rfc822; c@example.com\r\nAction: delivered\r\n\r\n"
                  "Final-Recipient: rfc822; d@example.com\r\nAction: relayed\r\n\r\n"
                  "Final-Recipient: rfc822; e@example.com\r\nAction: expanded\r\n\r\n"
                  "Final-Recipient: RFC822; <F@example.com>\nAction: FAILED (mailbox full)\n"
        << true << QStringList{"a@example.com", "F@example.com"};
    QTest::newRow("original recipient preferred")
        << head + "Original-Recipient: rfc822;member@example.com\r\nFinal-Recipient: rfc822;"
                  "alias@elsewhere.example\r\nAction: failed\r\n"
        << true << QStringList{"member@example.com"};
    QTest::newRow("invalid original falls back to final")
        << head + "Original-Recipient: rfc822;not an address\r\nFinal-Recipient: rfc822; x@example.com\r\n"
                  "Action: failed\r\n"
        << true << QStringList{"x@example.com"};
    QTest::newRow("folded field and LF line ends")
        << QByteArray("Reporting-MTA: dns; mx\n\nFinal-Recipient:\n rfc822;\n folded@example.com\nAction:\n failed\n")
        << true << QStringList{"folded@example.com"};
    QTest::newRow("other address types and no recipient add nothing")
        << head + "Final-Recipient: x400; c=US;a=;p=x\r\nAction: failed\r\n\r\nAction: failed\r\nStatus: 5.0.0\r\n"
        << true << QStringList{};
    QTest::newRow("control characters are no address")
        << head + "Final-Recipient: rfc822; a\x01"
                  "b@example.com\r\nAction: failed\r\n\r\nFinal-Recipient: rfc822; ok@example.com\x07\r\n"
                  "Action: failed\r\n"
        << true << QStringList{"ok@example.com"};
    QTest::newRow("no Action anywhere is unstructured")
        << QByteArray("This is not a report at all.\r\nfailed@example.com\r\n") << false << QStringList{};
    QTest::newRow("empty") << QByteArray() << false << QStringList{};
    QByteArray many = head;
    for (int i = 0; i < 3000; ++i)
        many += "Final-Recipient: rfc822; r" + QByteArray::number(i) + "@example.com\r\nAction: failed\r\n\r\n";
    QStringList first;
    for (int i = 0; i < DeliveryStatusReport::kMaxRecipients; ++i)
        first.append(QStringLiteral("r%1@example.com").arg(i));
    QTest::newRow("beyond the recipient bound") << many << true << first;
    QTest::newRow("one huge line") << head + "Final-Recipient: rfc822; " + QByteArray(500000, 'a') +
                                          "@example.com\r\nAction: failed\r\n"
                                   << true << QStringList{};
}

void TestDeliveryStatus::failedRecipients() {
    QFETCH(QByteArray, text);
    QFETCH(bool, structured);
    const std::optional<QStringList> failed = DeliveryStatusReport::failedRecipients(text);
    QCOMPARE(failed.has_value(), structured);
    if (failed)
        QTEST(*failed, "failed");
}

void TestDeliveryStatus::part_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("status");

    const QByteArray status =
        "Reporting-MTA: dns; mx\r\n\r\nFinal-Recipient: rfc822; a@example.com\r\nAction: failed\r\n";
    const QByteArray report = "From: MAILER-DAEMON@mx\r\nMIME-Version: 1.0\r\nContent-Type: multipart/report; "
                              "report-type=delivery-status; boundary=\"B\"\r\n\r\n--B\r\nContent-Type: "
                              "text/plain\r\n\r\nSorry.\r\n--B\r\n";
    QTest::newRow("report") << report + "Content-Type: message/delivery-status\r\n\r\n" + status + "--B--\r\n"
                            << true << status.trimmed();
    QTest::newRow("base64 part") << report +
                                        "Content-Type: message/delivery-status\r\nContent-Transfer-Encoding: "
                                        "base64\r\n\r\n" +
                                        status.toBase64() + "\r\n--B--\r\n"
                                 << true << status.trimmed();
    QTest::newRow("global delivery status")
        << report + "Content-Type: message/global-delivery-status\r\n\r\n" + status + "--B--\r\n"
        << true << status.trimmed();
    QTest::newRow("report inside mixed")
        << QByteArray("From: x@mx\r\nContent-Type: multipart/mixed; boundary=\"M\"\r\n\r\n--M\r\n") +
               report.mid(report.indexOf("Content-Type:")) + "Content-Type: message/delivery-status\r\n\r\n" + status +
               "--B--\r\n--M--\r\n"
        << true << status.trimmed();
    QTest::newRow("status part outside a report")
        << QByteArray("From: x@mx\r\nContent-Type: multipart/mixed; boundary=\"B\"\r\n\r\n--B\r\nContent-Type: "
                      "message/delivery-status\r\n\r\n") +
               status + "--B--\r\n"
        << false << QByteArray();
    QTest::newRow("plain message") << QByteArray("From: x@mx\r\nSubject: hi\r\n\r\nAction: failed\r\n") << false
                                   << QByteArray();
    QTest::newRow("no boundary parameter")
        << QByteArray("From: x@mx\r\nContent-Type: multipart/report\r\n\r\n--B\r\n\r\n") << false << QByteArray();
    QTest::newRow("broken header") << QByteArray("From: x@mx\r\nContent-Type: multipart/report; boundary=B\r\n\x01\r\n")
                                   << false << QByteArray();
    QByteArray deep = "From: x@mx\r\nContent-Type: multipart/mixed; boundary=\"L0\"\r\n\r\n";
    for (int i = 1; i < 200; ++i)
        deep += "--L" + QByteArray::number(i - 1) + "\r\nContent-Type: multipart/mixed; boundary=\"L" +
                QByteArray::number(i) + "\"\r\n\r\n";
    QTest::newRow("deep nesting") << deep << false << QByteArray();
}

void TestDeliveryStatus::part() {
    QFETCH(QByteArray, message);
    QFETCH(bool, found);
    const std::optional<QByteArray> part = DeliveryStatusPart::of(message);
    QCOMPARE(part.has_value(), found);
    if (part)
        QTEST(part->trimmed(), "status");
}

QTEST_GUILESS_MAIN(TestDeliveryStatus)
#include "tst_deliverystatus.moc"
