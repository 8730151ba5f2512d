#include "channels/PreviewTransport.h"

#include "channels/Link.h"
#include "printers/PrinterTarget.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <limits>

namespace hanlabel {

namespace {


// The label formats of a stream, each from its "^XA" to the next; what comes before the first
// goes with it.
QList<QByteArray> SplitFormats(const QByteArray& stream) {
    QList<QByteArray> formats;
    qsizetype begin = 0;
    qsizetype next = stream.indexOf("^XA", 1);
    while (next > 0) {
        formats.append(stream.mid(begin, next - begin));
        begin = next;
        next = stream.indexOf("^XA", next + 3);
    }
    formats.append(stream.mid(begin));
    return formats;
}

// "card.png" → "card-2.png"; a name without a suffix gets "-2" at its end.
QString NumberedPath(const QString& path, int number) {
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? path : path.chopped(suffix.size() + 1);
    return stem + QLatin1Char('-') + QString::number(number) + (suffix.isEmpty() ? QString() : u'.' + suffix);
}

// The virtual printer takes the whole job at once and shows or writes its picture at the end.
class PreviewLink final : public Link {
  public:
    explicit PreviewLink(QString path) : m_path(std::move(path)) {}

    bool open(SendPump& pump) override {
        m_pump = &pump;
        return true;
    }
    qint64 chunk() const override { return std::numeric_limits<qint64>::max(); }
    qint64 write(const char* data, qint64 size) override {
        m_stream.append(data, size);
        return size;
    }
    LinkWait wait() const override { return {}; }

    // A job of several label formats (a list of cards) to a file gives one picture a format,
    // PATH-1.png, PATH-2.png, ...; the window shows the first.
    bool complete() override {
        if (m_path.isEmpty()) {
            if (!m_pump->showPicture(RenderZpl(m_stream)))
                throw Failure(QStringLiteral("미리보기: 라벨 그림을 보여 줄 창이 없습니다."));
            return true;
        }
        const QList<QByteArray> formats = SplitFormats(m_stream);
        if (formats.size() <= 1) {
            write(RenderZpl(m_stream), m_path);
            return true;
        }
        for (qsizetype i = 0; i < formats.size(); ++i)
            write(RenderZpl(formats[i]), NumberedPath(m_path, int(i + 1)));
        return true;
    }

  private:
    static void write(const PreviewResult& result, const QString& path) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw Failure(
                QStringLiteral("미리보기 파일 %1을(를) 만들 수 없습니다: %2").arg(path, file.errorString()));
        QImageWriter writer(&file, "png");
        if (!writer.write(PreviewPicture(result))) {
            file.cancelWriting();
            throw Failure(
                QStringLiteral("미리보기 파일 %1에 쓸 수 없습니다: %2").arg(path, writer.errorString()));
        }
        if (!file.commit())
            throw Failure(
                QStringLiteral("미리보기 파일 %1에 쓸 수 없습니다: %2").arg(path, file.errorString()));
    }

    QString m_path;
    QByteArray m_stream;
    SendPump* m_pump = nullptr;
};

class PreviewTransport final : public Transport {
  public:
    explicit PreviewTransport(QString path) : m_path(std::move(path)) {}

    QString description() const override {
        return m_path.isEmpty() ? QStringLiteral("미리보기") : QStringLiteral("미리보기 (%1)").arg(m_path);
    }

  protected:
    std::unique_ptr<Link> link() const override { return std::make_unique<PreviewLink>(m_path); }

  private:
    QString m_path;
};

} // namespace


std::unique_ptr<Transport> MakePreviewTransport(const QString& target) {
    return std::make_unique<PreviewTransport>(PrinterTarget::parse(target).filePath());
}

} // namespace hanlabel
