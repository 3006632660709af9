// Rich Text Format to its displayed text: a tokenizer over control words, control symbols, groups and text.
#include "listio/RtfText.h"

#include "base/CorvaneError.h"
#include "base/TextFile.h"

#include <QStringDecoder>
#include <QVarLengthArray>

#include <optional>

namespace corvane {

namespace {

constexpr int kMaxWordLetters = 32;
constexpr int kMaxParameterDigits = 10;

// Destinations whose content is never displayed.
bool isHiddenDestination(QByteArrayView word) {
    static const char *const hidden[] = {"fonttbl",      "colortbl",
                                         "stylesheet",   "info",
                                         "pict",         "fldinst",
                                         "listtable",    "listoverridetable",
                                         "revtbl",       "rsidtbl",
                                         "filetbl",      "generator",
                                         "themedata",    "colorschememapping",
                                         "latentstyles", "datastore",
                                         "xmlnstbl",     "header",
                                         "headerl",      "headerr",
                                         "headerf",      "footer",
                                         "footerl",      "footerr",
                                         "footerf",      "footnote",
                                         "object",       "objdata",
                                         "bkmkstart",    "bkmkend",
                                         "xe",           "tc",
                                         "template",     "userprops",
                                         "pgdsctbl",     "mmathPr",
                                         "nonshppict"};
    for (const char *name : hidden) {
        if (word == QByteArrayView(name))
            return true;
    }
    return false;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

CorvaneError malformed(const char *why) {
    return CorvaneError(QStringLiteral("The document is not valid Rich Text Format: ") + QLatin1String(why));
}

class Converter {
public:
    explicit Converter(const QByteArray &data) : m_data(data) {}

    QString run() {
        qsizetype i = 0;
        const qsizetype n = m_data.size();
        while (i < n && (m_data.at(i) == ' ' || m_data.at(i) == '\t' || m_data.at(i) == '\r' || m_data.at(i) == '\n'))
            ++i;
        if (!m_data.sliced(i).startsWith("{\\rtf"))
            throw malformed("it does not begin with {\\rtf");
        while (i < n) {
            const char c = m_data.at(i);
            if (c == '{') {
                if (m_stack.size() >= RtfText::kMaxDepth)
                    throw malformed("groups nest too deep");
                flushBytes();
                m_stack.append(m_stack.isEmpty() ? State{} : m_stack.last());
                m_stack.last().destinationPending = true;
                m_stack.last().ignorable = false;
                m_skip = 0;
                ++i;
            } else if (c == '}') {
                if (m_stack.isEmpty())
                    throw malformed("a group is closed that was never opened");
                flushBytes();
                m_stack.removeLast();
                m_skip = 0;
                ++i;
                if (m_stack.isEmpty())
                    break;
            } else if (m_stack.isEmpty()) {
                ++i;
            } else if (c == '\\') {
                i = controlAt(i);
            } else if (c == '\r' || c == '\n') {
                ++i;
            } else {
                m_stack.last().destinationPending = false;
                textByte(c);
                ++i;
            }
        }
        if (!m_stack.isEmpty())
            throw malformed("the document ends inside a group");
        if (m_data.indexOf('}', i) >= 0)
            throw malformed("a group is closed that was never opened");
        flushBytes();
        return m_out;
    }

private:
    struct State {
        bool hidden = false;
        // True until the group's first word or text: a control word there names the group's destination.
        bool destinationPending = false;
        bool ignorable = false;
        int unicodeSkip = 1;
    };

    // Handles the control word or symbol at `i` (a backslash); returns the position after it.
    qsizetype controlAt(qsizetype i) {
        const qsizetype n = m_data.size();
        State &state = m_stack.last();
        if (i + 1 >= n)
            return n;
        const char next = m_data.at(i + 1);
        if (!isLetter(next)) {
            const bool pending = state.destinationPending;
            state.destinationPending = false;
            switch (next) {
            case '\\':
            case '{':
            case '}':
                textByte(next);
                return i + 2;
            case '~':
                character(QChar(0x00A0));
                return i + 2;
            case '_':
                character(QLatin1Char('-'));
                return i + 2;
            case '*':
                state.ignorable = true;
                state.destinationPending = pending;
                return i + 2;
            case '\'': {
                const int high = i + 2 < n ? hexValue(m_data.at(i + 2)) : -1;
                const int low = i + 3 < n ? hexValue(m_data.at(i + 3)) : -1;
                if (high < 0 || low < 0)
                    return std::min(n, i + 2);
                if (m_skip > 0)
                    --m_skip;
                else if (!state.hidden)
                    m_bytes.append(static_cast<char>(high * 16 + low));
                return i + 4;
            }
            case '\r':
            case '\n':
                lineBreak();
                return i + 2;
            default:
                return i + 2;
            }
        }
        qsizetype j = i + 1;
        while (j < n && isLetter(m_data.at(j))) {
            if (j - i - 1 >= kMaxWordLetters)
                throw malformed("a control word is too long");
            ++j;
        }
        const QByteArrayView word(m_data.constData() + i + 1, j - i - 1);
        std::optional<qint64> parameter;
        bool negative = false;
        if (j < n && m_data.at(j) == '-') {
            negative = true;
            ++j;
        }
        qint64 value = 0;
        int digits = 0;
        while (j < n && m_data.at(j) >= '0' && m_data.at(j) <= '9') {
            if (digits < kMaxParameterDigits)
                value = value * 10 + (m_data.at(j) - '0');
            ++digits;
            ++j;
        }
        if (digits > 0)
            parameter = negative ? -value : value;
        if (j < n && m_data.at(j) == ' ')
            ++j;
        return controlWord(word, parameter, j);
    }

    qsizetype controlWord(QByteArrayView word, std::optional<qint64> parameter, qsizetype after) {
        State &state = m_stack.last();
        if (state.destinationPending) {
            state.destinationPending = false;
            if (state.ignorable || isHiddenDestination(word)) {
                flushBytes();
                state.hidden = true;
            }
        }
        if (word == "bin") {
            // Binary data: its bytes are skipped whole, never read as text.
            const qint64 length = parameter.value_or(0);
            return length > 0 ? std::min<qint64>(m_data.size(), after + length) : after;
        }
        if (word == "ansicpg" && parameter) {
            m_codePage = static_cast<int>(*parameter);
            return after;
        }
        if (word == "uc" && parameter) {
            state.unicodeSkip = static_cast<int>(std::clamp<qint64>(*parameter, 0, 16));
            return after;
        }
        if (word == "u" && parameter) {
            qint64 code = *parameter;
            if (code < 0)
                code += 65536;
            if (code >= 0 && code <= 0xFFFF)
                character(QChar(static_cast<char16_t>(code)));
            m_skip = state.unicodeSkip;
            return after;
        }
        if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row")
            lineBreak();
        else if (word == "tab" || word == "cell")
            character(QLatin1Char('\t'));
        else if (word == "lquote" || word == "rquote")
            character(QLatin1Char('\''));
        else if (word == "ldblquote" || word == "rdblquote")
            character(QLatin1Char('"'));
        else if (word == "emdash")
            character(QChar(0x2014));
        else if (word == "endash")
            character(QChar(0x2013));
        else if (word == "bullet")
            character(QChar(0x2022));
        else if (word == "emspace" || word == "enspace" || word == "qmspace")
            character(QLatin1Char(' '));
        return after;
    }

    void textByte(char c) {
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        if (m_stack.last().hidden)
            return;
        m_bytes.append(c);
    }

    void character(QChar c) {
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        if (m_stack.last().hidden)
            return;
        flushBytes();
        m_out.append(c);
    }

    void lineBreak() {
        m_skip = 0;
        character(QLatin1Char('\n'));
    }

    // Decodes the bytes gathered so far in the document's code page.
    void flushBytes() {
        if (m_bytes.isEmpty())
            return;
        if (m_codePage == 1252 || m_codePage <= 0) {
            m_out += TextFile::decodeWindows1252(m_bytes);
        } else {
            if (!m_decoder || m_decoderPage != m_codePage) {
                const QByteArray name =
                    m_codePage == 65001 ? QByteArrayLiteral("UTF-8") : "windows-" + QByteArray::number(m_codePage);
                m_decoder.emplace(name.constData());
                if (!m_decoder->isValid())
                    m_decoder.emplace(("cp" + QByteArray::number(m_codePage)).constData());
                m_decoderPage = m_codePage;
            }
            if (m_decoder->isValid())
                m_out += m_decoder->decode(m_bytes);
            else
                m_out += TextFile::decodeWindows1252(m_bytes);
        }
        m_bytes.clear();
    }

    const QByteArray &m_data;
    QVarLengthArray<State, 32> m_stack;
    QByteArray m_bytes;
    QString m_out;
    int m_codePage = 1252;
    int m_skip = 0;
    std::optional<QStringDecoder> m_decoder;
    int m_decoderPage = 0;
};

} // namespace

bool RtfText::isRtf(const QByteArray &data) {
    qsizetype i = 0;
    while (i < data.size() && (data.at(i) == ' ' || data.at(i) == '\t' || data.at(i) == '\r' || data.at(i) == '\n'))
        ++i;
    return data.sliced(i).startsWith("{\\rtf");
}

QString RtfText::toPlainText(const QByteArray &data) {
    return Converter(data).run();
}

} // namespace corvane
