#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace hanlabel {

// A failure the operator is told about in a message box; the message names what failed.
class Failure : public std::exception {
  public:
    explicit Failure(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

  private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace hanlabel
