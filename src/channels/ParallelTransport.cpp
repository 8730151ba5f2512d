#include "channels/ParallelTransport.h"

#include "channels/PrinterMapping.h"
#include "core/Failure.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace hanlabel {

namespace {

constexpr qint64 kParallelChunk = 4096;
const QString kParallelPortName = QStringLiteral("LPT1");

// Writes the stream to a file or device opened for output, truncating a plain file per job.
class ParallelTransport final : public Transport {
  public:
    explicit ParallelTransport(QString target) : m_target(std::move(target)) {}

    QString description() const override {
        return QStringLiteral("%1 (%2)").arg(kParallelPortName, m_target);
    }

    void send(const QByteArray& stream, const ProgressFn& progress) override {
        QFile file(m_target);
        // Unbuffered: each chunk reaches the device when written, so progress means bytes sent.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            fail(QStringLiteral("를 열 수 없습니다"),
                 file.errorString() + (QFileInfo::exists(m_target) ? QString() : PrinterDialogHint()));
        const qint64 total = stream.size();
        qint64 sent = 0;
        while (sent < total) {
            const qint64 size = std::min(kParallelChunk, total - sent);
            if (file.write(stream.constData() + sent, size) != size)
                fail(QStringLiteral("에 쓸 수 없습니다"), file.errorString());
            sent += size;
            if (progress)
                progress(sent, total);
        }
        if (!file.flush())
            fail(QStringLiteral("에 쓸 수 없습니다"), file.errorString());
        file.close();
        if (file.error() != QFileDevice::NoError)
            fail(QStringLiteral("를 닫을 수 없습니다"), file.errorString());
        if (total == 0 && progress)
            progress(0, 0);
    }

  private:
    [[noreturn]] void fail(const QString& what, const QString& reason) const {
        throw Failure(QStringLiteral("%1 포트(%2)%3: %4").arg(kParallelPortName, m_target, what, reason));
    }

    QString m_target;
};

} // namespace

std::unique_ptr<Transport> MakeParallelTransport(const QString& target) {
    return std::make_unique<ParallelTransport>(target);
}

} // namespace hanlabel
