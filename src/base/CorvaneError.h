// The exception type of the core: a failure with a message for the user and an optional numeric code
// (the table engine's error code, 0 otherwise). Caught close to the user action that caused it.
#pragma once

#include <QString>
#include <stdexcept>

namespace corvane {

class CorvaneError : public std::runtime_error {
public:
    explicit CorvaneError(const QString &message, int code = 0)
        : std::runtime_error(message.toStdString()), m_message(message), m_code(code) {}

    QString message() const { return m_message; }
    int code() const { return m_code; }

    // The message of any standard exception: a CorvaneError's own text, else what() in the local encoding.
    static QString messageOf(const std::exception &error) {
        if (const auto *own = dynamic_cast<const CorvaneError *>(&error))
            return own->message();
        return QString::fromLocal8Bit(error.what());
    }

private:
    QString m_message;
    int m_code;
};

} // namespace corvane
