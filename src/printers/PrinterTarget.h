#pragma once

#include <QString>

namespace hanlabel {

// The raw printing port of a network label printer, used when a network target names none.
inline constexpr int kRawPrinterPort = 9100;

// Where "LPT1" prints, as one value: a device node ("/dev/usb/lp0"), a file, a network printer
// ("tcp://HOST:PORT"), a CUPS queue ("cups:QUEUE", "cups:" for the server's default) or the virtual
// printer ("preview:" for the preview window, "preview:PATH.png" for a picture file). Every
// reading and writing of that text goes through here.
class PrinterTarget {
  public:
    enum class Kind { Device, File, Network, Queue, Preview };

    // Reads a target text. Any text is some target (a path when nothing else); a network target
    // whose host or port cannot be read is not valid().
    static PrinterTarget parse(const QString& text);

    static PrinterTarget path(const QString& path);
    static PrinterTarget network(const QString& host, int port = kRawPrinterPort);
    static PrinterTarget queue(const QString& name);
    static PrinterTarget preview(const QString& picturePath = {});

    Kind kind() const { return m_kind; }
    bool valid() const { return m_valid; }
    // The device, file or picture path; empty for the preview window.
    const QString& filePath() const { return m_path; }
    const QString& host() const { return m_host; }
    int port() const { return m_port; }
    // The queue's name; empty for the server's default queue.
    const QString& queueName() const { return m_queue; }

    // The target as the mapping file, the environment and --to write it. A network target is
    // always written with its port, an IPv6 address in brackets.
    QString text() const;

    // The target in the operator's words, as the printer dialog offers it: "USB 프린터 /dev/usb/lp0",
    // "파일 /srv/labels.zpl", "네트워크 프린터 192.168.0.50", "CUPS 프린터 큐 zebra", "미리보기 창".
    QString spokenName() const;

    bool operator==(const PrinterTarget&) const = default;

  private:
    Kind m_kind = Kind::File;
    bool m_valid = true;
    QString m_path;
    QString m_host;
    int m_port = 0;
    QString m_queue;
};

} // namespace hanlabel
