#include "rtfreader.h"

#include <QColor>
#include <QList>
#include <QMap>

namespace {

struct CharFormat
{
    int font = 0;
    int halfPoints = 24;
    int colour = -1;
    bool bold = false;
    bool centred = false;
};

// Windows-1252 differs from Latin-1 in 0x80 to 0x9F only.
QChar fromWindows1252(uchar c)
{
    static const char16_t high[32]
        = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
           0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
           0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    return c >= 0x80 && c < 0xA0 ? QChar(high[c - 0x80]) : QChar(c);
}

class Reader
{
public:
    explicit Reader(const QByteArray &rtf)
        : m_in(rtf)
    { }

    QString html()
    {
        parse();
        endParagraph(false);
        return QStringLiteral("<html><body>") + m_html + QStringLiteral("</body></html>");
    }

private:
    enum class Destination { Text, FontTable, ColourTable, Skip };

    struct State
    {
        CharFormat format;
        Destination destination = Destination::Text;
    };

    void parse()
    {
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            if (c == '{') {
                m_stack.append(m_state);
            } else if (c == '}') {
                if (m_state.destination == Destination::FontTable && !m_fontName.isEmpty())
                    storeFont();
                if (!m_stack.isEmpty())
                    m_state = m_stack.takeLast();
            } else if (c == '\\') {
                controlWord();
            } else if (c != '\r' && c != '\n') {
                text(QChar(uchar(c)));
            }
        }
    }

    void controlWord()
    {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (c == '\'') {
            const uchar byte = uchar(m_in.mid(m_pos + 1, 2).toUInt(nullptr, 16));
            m_pos += 3;
            text(fromWindows1252(byte));
            return;
        }
        if (!std::isalpha(uchar(c))) { // control symbol: \\ \{ \} \* \~ ...
            ++m_pos;
            if (c == '*')
                m_state.destination = Destination::Skip;
            else if (c == '~')
                text(QChar(0xA0));
            else if (c == '\\' || c == '{' || c == '}')
                text(QChar::fromLatin1(c));
            return;
        }
        QByteArray word;
        while (m_pos < m_in.size() && std::isalpha(uchar(m_in[m_pos])))
            word += m_in[m_pos++];
        QByteArray digits;
        if (m_pos < m_in.size() && (m_in[m_pos] == '-' || std::isdigit(uchar(m_in[m_pos]))))
            digits += m_in[m_pos++];
        while (m_pos < m_in.size() && std::isdigit(uchar(m_in[m_pos])))
            digits += m_in[m_pos++];
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos; // the delimiting blank belongs to the word
        apply(word, digits.isEmpty() ? -1 : digits.toInt(), !digits.isEmpty());
    }

    void apply(const QByteArray &word, int value, bool hasValue)
    {
        CharFormat &f = m_state.format;
        if (word == "fonttbl") {
            m_state.destination = Destination::FontTable;
        } else if (word == "colortbl") {
            m_state.destination = Destination::ColourTable;
        } else if (word == "red" || word == "green" || word == "blue") {
            (word == "red" ? m_red : word == "green" ? m_green : m_blue) = value;
        } else if (word == "f") {
            if (m_state.destination == Destination::FontTable)
                m_fontNumber = value;
            else
                f.font = value;
        } else if (word == "fs") {
            f.halfPoints = value;
        } else if (word == "cf") {
            f.colour = value;
        } else if (word == "b") {
            f.bold = !hasValue || value != 0;
        } else if (word == "qc") {
            f.centred = true;
        } else if (word == "pard") {
            f.centred = false;
        } else if (word == "par") {
            endParagraph(true);
        } else if (word == "plain") {
            f = CharFormat {0, 24, -1, false, f.centred};
        } else if (word == "info" || word == "stylesheet" || word == "pict") {
            m_state.destination = Destination::Skip;
        }
    }

    void text(QChar c)
    {
        switch (m_state.destination) {
        case Destination::Skip:
            return;
        case Destination::FontTable:
            if (c == QLatin1Char(';'))
                storeFont();
            else
                m_fontName += c;
            return;
        case Destination::ColourTable:
            if (c == QLatin1Char(';')) {
                m_colours.append(QColor(m_red, m_green, m_blue));
                m_red = m_green = m_blue = 0;
            }
            return;
        case Destination::Text:
            break;
        }
        if (!m_inParagraph) {
            m_paragraphCentred = m_state.format.centred;
            m_inParagraph = true;
        }
        const CharFormat &f = m_state.format;
        QString style = QStringLiteral("font-size:%1pt;").arg(f.halfPoints / 2.0);
        if (m_fonts.contains(f.font))
            style += QStringLiteral("font-family:'%1';").arg(m_fonts.value(f.font));
        if (f.bold)
            style += QStringLiteral("font-weight:bold;");
        if (f.colour >= 0 && f.colour < m_colours.size())
            style += QStringLiteral("color:%1;").arg(m_colours[f.colour].name());
        if (style != m_spanStyle) {
            closeSpan();
            m_paragraph += QStringLiteral("<span style=\"%1\">").arg(style);
            m_spanStyle = style;
        }
        m_paragraph += c == QLatin1Char(' ') ? QStringLiteral("&#32;") : QString(c).toHtmlEscaped();
    }

    void closeSpan()
    {
        if (!m_spanStyle.isEmpty())
            m_paragraph += QStringLiteral("</span>");
        m_spanStyle.clear();
    }

    void endParagraph(bool explicitEnd)
    {
        closeSpan();
        if (!explicitEnd && m_paragraph.isEmpty())
            return;
        const bool centred = m_inParagraph ? m_paragraphCentred : m_state.format.centred;
        m_html += QStringLiteral("<p style=\"margin:0;\"%1>%2</p>")
                      .arg(centred ? QStringLiteral(" align=\"center\"") : QString(),
                           m_paragraph.isEmpty() ? QStringLiteral("&nbsp;") : m_paragraph);
        m_paragraph.clear();
        m_inParagraph = false;
    }

    void storeFont()
    {
        m_fonts.insert(m_fontNumber, m_fontName.trimmed());
        m_fontName.clear();
    }

    const QByteArray m_in;
    qsizetype m_pos = 0;
    State m_state;
    QList<State> m_stack;
    QMap<int, QString> m_fonts;
    int m_fontNumber = 0;
    QString m_fontName;
    QList<QColor> m_colours;
    int m_red = 0, m_green = 0, m_blue = 0;
    QString m_html;
    QString m_paragraph;
    QString m_spanStyle;
    bool m_inParagraph = false;
    bool m_paragraphCentred = false;
};

} // namespace

QString rtfToHtml(const QByteArray &rtf)
{
    return Reader(rtf).html();
}
