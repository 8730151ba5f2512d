#include "preview/Code128.h"

#include <optional>

namespace hanlabel::zpl {

namespace {

// Bar and space widths of the symbol values 0 to 105 (three bars, three spaces, 11 modules).
constexpr const char kPatterns[106][7] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232"};
constexpr const char kStop[] = "2331112"; // four bars, three spaces, 13 modules

enum class Subset { A, B, C };

// Symbol values that depend on the subset in force: 100 is CODE B in A and C, FNC4 in B; 101 is
// CODE A in B and C, FNC4 in A.
constexpr int kShift = 98, kCodeC = 99, kCodeB = 100, kFnc4B = 100, kCodeA = 101, kFnc4A = 101, kFnc1 = 102,
              kStartA = 103;

// The symbol's values from the field data, one character or invocation at a time.
class Reader {
  public:
    explicit Reader(const QByteArray& data) : m_data(data) {}

    Code128Symbol read() {
        qsizetype i = 0;
        if (const auto start = StartSubset(m_data); start) {
            m_subset = *start;
            i = 2;
        }
        m_symbol.values.push_back(kStartA + int(m_subset));
        while (i < m_data.size()) {
            if (m_data[i] == '>' && i + 1 < m_data.size() && invoke(m_data[i + 1])) {
                m_pending.reset(); // an unpaired digit before an invocation is ignored
                i += 2;
                continue;
            }
            const auto byte = static_cast<unsigned char>(m_data[i++]);
            if (m_subset == Subset::B)
                characterB(byte);
            else
                digit(byte);
        }
        if (!m_hasData)
            return {};
        int sum = m_symbol.values[0];
        for (size_t k = 1; k < m_symbol.values.size(); ++k)
            sum += int(k) * m_symbol.values[k];
        m_symbol.values.push_back(sum % 103);
        return m_symbol;
    }

  private:
    // The subset a start code at the beginning of the data asks for.
    static std::optional<Subset> StartSubset(const QByteArray& data) {
        if (data.size() < 2 || data[0] != '>')
            return std::nullopt;
        switch (data[1]) {
        case '9':
            return Subset::A;
        case ':':
            return Subset::B;
        case ';':
            return Subset::C;
        default:
            return std::nullopt;
        }
    }

    // One invocation code; false when the character after ">" is none.
    bool invoke(char code) {
        static constexpr const char* kValued = "<0=1234"; // 62, 30, 94, 95, FNC3, FNC2, SHIFT
        static constexpr int kValues[] = {62, 30, 94, 95, 96, 97, kShift};
        for (int k = 0; kValued[k]; ++k)
            if (code == kValued[k]) {
                data(kValues[k]);
                return true;
            }
        switch (code) {
        case '5': // CODE C; in subset C the digits 99
            if (m_subset == Subset::C)
                data(kCodeC);
            else
                switchTo(Subset::C);
            return true;
        case '6': // FNC4 in subset B, else CODE B
            if (m_subset == Subset::B)
                put(kFnc4B);
            else
                switchTo(Subset::B);
            return true;
        case '7': // FNC4 in subset A, else CODE A
            if (m_subset == Subset::A)
                put(kFnc4A);
            else
                switchTo(Subset::A);
            return true;
        case '8':
            put(kFnc1);
            return true;
        case '9':
            switchTo(Subset::A);
            return true;
        case ':':
            switchTo(Subset::B);
            return true;
        case ';':
            switchTo(Subset::C);
            return true;
        default:
            return false;
        }
    }

    // The code that changes to another subset; nothing when it is already in force.
    void switchTo(Subset subset) {
        if (subset == m_subset)
            return;
        static constexpr int kCodes[] = {kCodeA, kCodeB, kCodeC};
        put(kCodes[int(subset)]);
        m_subset = subset;
    }

    // One byte in subset B: printable ASCII directly, control bytes through SHIFT, high bytes through FNC4.
    void characterB(unsigned char byte) {
        if (byte >= 128) {
            put(kFnc4B);
            byte -= 128;
        }
        if (byte < 32) {
            put(kShift);
            put(byte + 64); // a control character of subset A
            m_hasData = true;
        } else {
            data(byte - 32);
        }
    }

    // One byte in subset A or C, where data comes as pairs of digits.
    void digit(unsigned char byte) {
        const bool isDigit = byte >= '0' && byte <= '9';
        if (!m_pending) {
            if (isDigit)
                m_pending = byte - '0';
            return;
        }
        const int value = *m_pending * 10 + (byte - '0');
        m_pending.reset();
        if (isDigit && (m_subset == Subset::C || value <= 95))
            data(value);
    }

    // A data character of the subset in force, shown on the interpretation line.
    void data(int value) {
        put(value);
        m_hasData = true;
        if (m_subset == Subset::C)
            m_symbol.text += QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
        else if (value < 95 && (m_subset == Subset::B || value < 64))
            m_symbol.text += QChar(char16_t(value + 32));
    }

    void put(int value) { m_symbol.values.push_back(value); }

    const QByteArray& m_data;
    Subset m_subset = Subset::B;
    std::optional<int> m_pending; // the first digit of a pair in subsets A and C
    bool m_hasData = false;
    Code128Symbol m_symbol;
};

// Appends the widths of one pattern.
void AppendPattern(std::vector<int>& modules, const char* pattern) {
    for (const char* p = pattern; *p; ++p)
        modules.push_back(*p - '0');
}

} // namespace

Code128Symbol EncodeCode128(const QByteArray& data) { return Reader(data).read(); }

std::vector<int> Code128Modules(const std::vector<int>& values) {
    std::vector<int> modules;
    if (values.empty())
        return modules;
    modules.reserve(values.size() * 6 + 7);
    for (const int value : values)
        AppendPattern(modules, kPatterns[value]);
    AppendPattern(modules, kStop);
    return modules;
}

} // namespace hanlabel::zpl
