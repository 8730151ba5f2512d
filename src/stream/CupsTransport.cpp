#include "stream/CupsTransport.h"

#include "core/Failure.h"

#include <cups/cups.h>

#include <algorithm>

namespace hanlabel {

namespace {

const QString kPrefix = QStringLiteral("cups:");
constexpr qint64 kChunk = 16384;

QString LastError() { return QString::fromUtf8(cupsLastErrorString()); }

// Never ask for a password on a terminal the operator cannot see.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) { return nullptr; }

class CupsTransport final : public Transport {
public:
    explicit CupsTransport(QString queue) : m_queue(std::move(queue)) {}

    QString description() const override { return kPrefix + m_queue; }

    void send(const QByteArray& stream, const ProgressFn& progress) override {
        cupsSetPasswordCB2(NoPassword, nullptr);
        QByteArray queue = m_queue.toUtf8();
        if (queue.isEmpty()) {
            queue = QByteArray(cupsGetDefault2(CUPS_HTTP_DEFAULT));
            if (queue.isEmpty())
                throw Failure(QStringLiteral("CUPS: 기본 프린터 큐가 없습니다 (%1). cups:큐이름으로 지정하세요.")
                                  .arg(LastError()));
        }
        const QString name = QString::fromUtf8(queue);
        const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.constData(), "hanlabel", 0, nullptr);
        if (job == 0)
            fail(name, QStringLiteral("작업을 만들 수 없습니다"), LastError());
        if (cupsStartDocument(CUPS_HTTP_DEFAULT, queue.constData(), job, "label", CUPS_FORMAT_RAW, 1) !=
            HTTP_STATUS_CONTINUE)
            abandon(name, queue, job, QStringLiteral("작업을 보낼 수 없습니다"));
        const qint64 total = stream.size();
        qint64 sent = 0;
        while (sent < total) {
            const qint64 size = std::min(kChunk, total - sent);
            if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, stream.constData() + sent, size_t(size)) !=
                HTTP_STATUS_CONTINUE)
                abandon(name, queue, job, QStringLiteral("작업을 보낼 수 없습니다 (%1/%2바이트 보냄)").arg(sent).arg(total));
            sent += size;
            if (progress)
                progress(sent, total);
        }
        if (cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.constData()) > IPP_STATUS_OK_EVENTS_COMPLETE)
            fail(name, QStringLiteral("작업을 받지 않았습니다"), LastError());
        if (total == 0 && progress)
            progress(0, 0);
    }

private:
    [[noreturn]] static void fail(const QString& queue, const QString& what, const QString& reason) {
        throw Failure(QStringLiteral("CUPS 프린터 큐 %1: %2: %3").arg(queue, what, reason));
    }

    // Cancels a job that could not be sent whole, so the printer never gets half of it.
    [[noreturn]] static void abandon(const QString& name, const QByteArray& queue, int job, const QString& what) {
        const QString reason = LastError();
        cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.constData(), job, 0);
        fail(name, what, reason);
    }

    QString m_queue;
};

} // namespace

bool IsCupsTarget(const QString& target) { return target.startsWith(kPrefix); }

std::unique_ptr<Transport> MakeCupsTransport(const QString& target) {
    return std::make_unique<CupsTransport>(target.mid(kPrefix.size()));
}

} // namespace hanlabel
