#include "batch/BatchOptions.h"

#include "core/Failure.h"

#include <QCommandLineParser>

#include <cmath>

namespace hanlabel {

namespace {

// "9600,E,7,1" or "1" (the settings file's code), "9600,N,8,1" or "2".
SerialFraming ParseFraming(const QString& text) {
    const QString t = text.trimmed().toUpper();
    if (t == QLatin1String("1") || t == FramingText(SerialFraming::Even7))
        return SerialFraming::Even7;
    if (t == QLatin1String("2") || t == FramingText(SerialFraming::None8))
        return SerialFraming::None8;
    throw Failure(
        QStringLiteral("--framing %1: 9600,E,7,1 (1) 또는 9600,N,8,1 (2) 중 하나여야 합니다.").arg(text));
}

// A positive whole number for an option such as --from.
int ParseLine(const QString& name, const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 1)
        throw Failure(QStringLiteral("--%1 %2: 1 이상의 줄 번호여야 합니다.").arg(name, text));
    return value;
}

// QCommandLineParser words its complaints in English; they are said again in Korean.
QString ParserError(const QCommandLineParser& parser) {
    QStringList unknown;
    for (const QString& name : parser.unknownOptionNames())
        unknown << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    if (!unknown.isEmpty())
        return QStringLiteral("알 수 없는 옵션입니다: %1").arg(unknown.join(QStringLiteral(", ")));
    const QString text = parser.errorText();
    const qsizetype open = text.indexOf(u'\'');
    const QString option = open < 0 ? QString() : text.mid(open + 1, text.indexOf(u'\'', open + 1) - open - 1);
    if (text.startsWith(QLatin1String("Missing value")))
        return QStringLiteral("%1 뒤에 값이 없습니다.").arg(option);
    if (text.startsWith(QLatin1String("Unexpected value")))
        return QStringLiteral("%1은(는) 값을 받지 않습니다.").arg(option);
    return QStringLiteral("명령줄을 읽을 수 없습니다 (%1)").arg(text);
}

} // namespace

BatchOptions ParseBatchOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, {});
    const QCommandLineOption version("version");
    const QCommandLineOption port("port", {}, "PORT");
    const QCommandLineOption framing("framing", {}, "FRAMING");
    const QCommandLineOption to("to", {}, "TARGET");
    const QCommandLineOption stallLimit("stall-limit", {}, "SECONDS");
    const QCommandLineOption text("text", {}, "T");
    const QCommandLineOption serial("serial", {}, "S");
    const QCommandLineOption quantity("quantity", {}, "N");
    const QCommandLineOption descending("descending");
    const QCommandLineOption from("from", {}, "LINE");
    const QCommandLineOption columns("columns", {}, "MAP");
    const QCommandLineOption affiliation("affiliation", {}, "TEXT");
    const QCommandLineOption unmasked("unmasked");
    const QCommandLineOption again("again");
    const QCommandLineOption glyphsEveryCard("glyphs-every-card");
    const QCommandLineOption skipUncertain("skip-uncertain");
    parser.addOptions({help, version, port, framing, to, stallLimit, text, serial, quantity, descending, from,
                       columns, affiliation, unmasked, again, glyphsEveryCard, skipUncertain});
    if (!parser.parse(arguments))
        throw Failure(ParserError(parser));

    BatchOptions options;
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(help))
        return options;
    if (parser.isSet(version)) {
        options.command = BatchOptions::Command::Version;
        return options;
    }
    if (positional.isEmpty())
        throw Failure(QStringLiteral("명령이 없습니다: book 또는 members를 주십시오."));

    const QString& command = positional.first();
    QList<const QCommandLineOption*> allowed = {&port, &framing, &to, &stallLimit};
    if (command == QLatin1String("book")) {
        options.command = BatchOptions::Command::Book;
        if (positional.size() > 1)
            throw Failure(
                QStringLiteral("book에 남는 인자가 있습니다: %1").arg(positional.mid(1).join(u' ')));
        if (!parser.isSet(quantity))
            throw Failure(QStringLiteral("book에는 --quantity가 있어야 합니다."));
        allowed << &text << &serial << &quantity << &descending;
        options.text = parser.value(text);
        options.serial = parser.value(serial);
        options.quantity = parser.value(quantity);
        options.descending = parser.isSet(descending);
    } else if (command == QLatin1String("members")) {
        options.command = BatchOptions::Command::Members;
        if (positional.size() != 2)
            throw Failure(QStringLiteral("members에는 명단 파일 하나를 주십시오."));
        allowed << &from << &columns << &affiliation << &unmasked << &again << &glyphsEveryCard << &skipUncertain;
        options.listPath = positional[1];
        if (parser.isSet(from))
            options.fromLine = ParseLine(QStringLiteral("from"), parser.value(from));
        options.columns = parser.value(columns);
        options.affiliation = parser.value(affiliation);
        options.unmasked = parser.isSet(unmasked);
        options.again = parser.isSet(again);
        options.glyphsEveryCard = parser.isSet(glyphsEveryCard);
        options.skipUncertain = parser.isSet(skipUncertain);
    } else {
        throw Failure(QStringLiteral("알 수 없는 명령입니다: %1 (book 또는 members)").arg(command));
    }
    for (const QString& name : parser.optionNames()) {
        const bool known = std::any_of(allowed.begin(), allowed.end(), [&](const QCommandLineOption* o) {
            return o->names().contains(name);
        });
        if (!known)
            throw Failure(QStringLiteral("--%1은(는) %2 명령에 쓸 수 없습니다.").arg(name, command));
    }

    if (parser.isSet(port))
        options.port = parser.value(port);
    if (parser.isSet(framing))
        options.framing = ParseFraming(parser.value(framing));
    if (parser.isSet(to)) {
        options.target = parser.value(to);
        if (options.target->isEmpty())
            throw Failure(QStringLiteral("--to에 대상이 없습니다."));
    }
    if (parser.isSet(stallLimit)) {
        bool ok = false;
        const double seconds = parser.value(stallLimit).toDouble(&ok);
        if (!ok || !std::isfinite(seconds) || seconds <= 0)
            throw Failure(
                QStringLiteral("--stall-limit %1: 0보다 큰 초 수여야 합니다.").arg(parser.value(stallLimit)));
        options.stallLimit = seconds;
    }
    return options;
}

QString BatchHelpText() {
    return QStringLiteral(
        "사용법:\n"
        "  hanlabel-batch members 명단.csv [--from 줄] [--columns 열] [--affiliation 소속] [--unmasked] "
        "[--again] [--skip-uncertain] [--glyphs-every-card]\n"
        "  hanlabel-batch book --text 글자 --serial 일련번호 --quantity 수량 [--descending]\n"
        "  hanlabel-batch --help | --version\n"
        "\n"
        "hanlabel 창과 같은 응용 프로그램 폴더(HANLABEL_HOME), 설정 파일과 글꼴 데이터베이스로 인쇄하고,\n"
        "창의 인쇄와 똑같이 설정 파일을 다시 씁니다.\n"
        "\n"
        "members: 명단의 회원증을 한 작업으로 인쇄합니다 (회원증 창의 OH1.ini, position1.ini, DPOS1.ini).\n"
        "  명단은 CSV 파일(UTF-8 또는 코드 페이지 949)이나 .xlsx, .ods 파일의 첫 시트입니다.\n"
        "  --from 줄          명단의 이 줄(시트의 행 번호)부터 인쇄합니다\n"
        "  --columns 열       열 지정: \"name,number\", \"-,성명,학번\", \"name=2,number=3\"\n"
        "  --affiliation 소속 소속 열이 없는 명단의 소속\n"
        "  --unmasked         회원번호 뒷부분을 별표 없이 인쇄합니다\n"
        "  --again            이미 보낸 것으로 표시된 행도 다시 인쇄합니다\n"
        "  --skip-uncertain   보냈는지 알 수 없는 카드(지난 실행이 그 카드를 보내다 끝남)를 건너뜁니다;\n"
        "                     주지 않으면 그 카드를 다시 인쇄하고 알립니다\n"
        "  --glyphs-every-card 카드마다 한글 글자를 압축하지 않고 다시 보냅니다 (이번 실행만).\n"
        "                     글자가 빠지거나 깨져 인쇄되는 프린터에만 쓰십시오\n"
        "  보낸 카드는 한 장마다 명단 옆의 파일(명단.csv.sent)에 표시되고, 다음 실행에서 건너뜁니다.\n"
        "  한 명단은 한 번에 한 곳에서만 인쇄합니다 (명단.csv.lock).\n"
        "  한글 글자는 명단에서 처음 쓰는 카드만 보내고 뒤 카드는 프린터에 남은 것을 씁니다.\n"
        "  인쇄 중에 프린터를 껐다 켰으면 다시 실행하십시오: 나머지 카드가 글자를 다시 보냅니다.\n"
        "\n"
        "book: 도서 바코드 라벨을 인쇄합니다 (도서 창의 OH.ini, position.ini, DPOS.ini).\n"
        "  --text 글자        라벨의 글자\n"
        "  --serial 번호      첫 일련번호\n"
        "  --quantity 수량    라벨 수\n"
        "  --descending       일련번호를 거꾸로 셉니다\n"
        "\n"
        "이번 실행에만 쓰이고 설정 파일에 쓰이지 않는 값:\n"
        "  --port 포트        LPT1 또는 직렬 포트 (예: COM1)\n"
        "  --framing 방식     9600,E,7,1 (1) 또는 9600,N,8,1 (2)\n"
        "  --to 대상          쓰는 포트의 대상: LPT1이면 장치나 파일, tcp://호스트:포트, cups:큐,\n"
        "                     preview:그림.png (카드마다 그림-1.png, 그림-2.png, ...); 직렬 포트면 장치\n"
        "  --stall-limit 초   프린터가 멈췄다는 알림 뒤 이만큼 기다리다 취소합니다\n"
        "\n"
        "끝 상태: 0 모두 보냄, 1 오류 행이 있음 (나머지는 보냄), 2 사용법 또는 채널 오류.\n"
        "Ctrl+C, SIGTERM, SIGHUP: 처음에는 보내고 있는 카드를 마저 보낸 뒤 멈추고, 두 번째에는 바로 취소합니다.\n"
        "명단을 읽거나 카드를 만드는 동안에는 아무것도 보내지 않고 끝납니다.\n"
        "자세한 내용: man hanlabel-batch\n");
}

} // namespace hanlabel
