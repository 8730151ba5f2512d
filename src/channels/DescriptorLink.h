#pragma once

#include "channels/Link.h"

namespace hanlabel {

// A link over a non-blocking descriptor of a port's device or file ("LPT1", "COM1"), held under an
// exclusive lock for the whole job so that two jobs never mix their bytes on one target.
class DescriptorLink : public Link {
  public:
    DescriptorLink(QString port, QString path) : m_port(std::move(port)), m_path(std::move(path)) {}
    ~DescriptorLink() override;

    QString waitingFor() const override;
    qint64 write(const char* data, qint64 size) override;
    LinkWait wait() const override;

  protected:
    // Takes the job's lock on the open descriptor; false while another job holds it.
    bool lock();
    // Closes the descriptor, reporting an error the system gives on closing.
    void closeChecked();
    // A failure naming the port, its path, what failed and why.
    [[noreturn]] void fail(const QString& what, const QString& reason) const;

    QString m_port;
    QString m_path;
    int m_fd = -1;
    bool m_locked = false;
    bool m_lockBusy = false;
};

} // namespace hanlabel
