// Form check of SMTP reply lines.
#include "send/SMTPReplyLine.h"

namespace corvane {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<SMTPReplyLine> SMTPReplyLine::parse(QByteArrayView line) {
    if (line.size() < 3 || !isDigit(line[0]) || !isDigit(line[1]) || !isDigit(line[2])) {
        return std::nullopt;
    }
    if (line.size() > 3 && line[3] != ' ' && line[3] != '-') {
        return std::nullopt;
    }
    SMTPReplyLine parsed;
    parsed.code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    parsed.last = line.size() == 3 || line[3] == ' ';
    return parsed;
}

QByteArray SMTPReplyLine::printable(QByteArrayView line) {
    QByteArray out(line.data(), line.size());
    for (char &c : out) {
        if (c < 0x20 || c > 0x7e) {
            c = '?';
        }
    }
    return out;
}

} // namespace corvane
