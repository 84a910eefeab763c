#include "onvif/OnvifMessage.h"

#include "onvif/OnvifScopes.h"

#include <QByteArray>
#include <QXmlStreamReader>

#include <algorithm>
#include <optional>
#include <string_view>

namespace Netrove {

namespace {

using Limits = OnvifReadLimits;

// What the XML reader takes its time over is measured here first, in one pass over the bytes, as
// the reader would lex them: it compares each attribute of an element with every other (thousands of
// them would cost it milliseconds), and long texts and comments cost it a few nanoseconds a byte. A
// declaration ("<!DOCTYPE", "<!ENTITY") is refused here already.
bool ShapeWithinLimits(std::string_view bytes)
{
    int total = 0;
    int tags = 0;
    std::size_t at = 0;
    std::size_t textStart = 0;
    while ((at = bytes.find('<', at)) != std::string_view::npos) {
        // Beyond this many tags the reader would refuse the message at its element limit anyway.
        if (at - textStart > Limits::kTextRun || ++tags > 2 * Limits::kElements)
            return false;
        const std::string_view rest = bytes.substr(at);
        std::string_view close;
        if (rest.starts_with("<!--"))
            close = "-->";
        else if (rest.starts_with("<![CDATA["))
            close = "]]>";
        else if (rest.starts_with("<?"))
            close = "?>";
        else if (rest.starts_with("<!"))
            return false;
        if (!close.empty()) {
            const std::size_t end = bytes.find(close, at + 2);
            if ((end == std::string_view::npos ? bytes.size() : end) - at > Limits::kComment)
                return false;
            if (end == std::string_view::npos)
                return true;
            at = textStart = end + close.size();
            continue;
        }
        int inTag = 0;
        char quote = 0;
        for (++at; at < bytes.size(); ++at) {
            const char c = bytes[at];
            if (quote != 0) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '=') {
                ++inTag;
            } else if (c == '>') {
                break;
            }
        }
        total += inTag;
        if (inTag > Limits::kAttributesPerElement || total > Limits::kAttributes)
            return false;
        textStart = at + 1;
    }
    return bytes.size() - std::min(textStart, bytes.size()) <= Limits::kTextRun;
}

enum class Field
{
    None,
    MessageId,
    RelatesTo,
    Address,
    Types,
    Scopes,
    XAddrs,
    MetadataVersion,
};

struct Declaration
{
    QString prefix; // empty for the default namespace
    QString uri;
    int depth = 0;
};

class MessageReader final
{
public:
    explicit MessageReader(std::string_view bytes)
        : m_bytes(bytes)
    {
        m_xml.setNamespaceProcessing(false);
    }

    OnvifMessage Read()
    {
        // Fed a piece at a time, so that garbage after a good beginning is not decoded to its end. A
        // token cut by a piece's end is read again from its start with the next piece, so the pieces
        // double: what is read again stays below what is read.
        Feed();
        while (!m_xml.atEnd()) {
            const QXmlStreamReader::TokenType token = m_xml.readNext();
            if (m_xml.hasError()) {
                if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && Feed())
                    continue;
                break;
            }
            if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference)
                return {};
            if (token == QXmlStreamReader::StartElement && !Start())
                return {};
            if (token == QXmlStreamReader::Characters && m_field != Field::None && Depth() == m_fieldDepth)
                Append(m_xml.text());
            if (token == QXmlStreamReader::EndElement)
                End();
        }
        return std::move(m_message);
    }

private:
    static constexpr std::size_t kFirstPiece = 4096;

    bool Feed()
    {
        if (m_fed >= m_bytes.size())
            return false;
        const std::size_t size = std::min(std::max(kFirstPiece, m_fed), m_bytes.size() - m_fed);
        m_xml.addData(QByteArray::fromRawData(m_bytes.data() + m_fed, qsizetype(size)));
        m_fed += size;
        return true;
    }

    int Depth() const { return int(m_path.size()); }

    bool Is(int depth, const char* name) const
    {
        return depth >= 1 && depth <= Depth() && m_path[std::size_t(depth - 1)] == QLatin1String(name);
    }

    // A list longer than this is cut: its words beyond the limit would be dropped anyway.
    void Append(QStringView text)
    {
        m_text += text.first(std::min(text.size(), Limits::kText - m_text.size()));
    }

    void Capture(Field field)
    {
        m_field = field;
        m_fieldDepth = Depth();
        m_text.clear();
    }

    // False when the message is refused.
    bool Start()
    {
        if (++m_elements > Limits::kElements || Depth() >= Limits::kDepth)
            return false;
        m_path.push_back(m_xml.name().toString());
        const int depth = Depth();
        for (const QXmlStreamAttribute& attribute : m_xml.attributes()) {
            const QStringView name = attribute.qualifiedName();
            if (name == QLatin1String("xmlns"))
                m_declarations.push_back({QString(), attribute.value().toString(), depth});
            else if (name.startsWith(QLatin1String("xmlns:")))
                m_declarations.push_back({name.sliced(6).toString(), attribute.value().toString(), depth});
        }
        if (depth == 1)
            return Is(1, "Envelope");
        if (m_field != Field::None)
            return true;
        if (depth == 3 && Is(2, "Header")) {
            if (Is(3, "MessageID"))
                Capture(Field::MessageId);
            else if (Is(3, "RelatesTo"))
                Capture(Field::RelatesTo);
        } else if (depth == 3 && Is(2, "Body") && !m_bodyChildSeen) {
            m_bodyChildSeen = true;
            static constexpr std::pair<const char*, OnvifMessageKind> kKinds[] = {
                {"ProbeMatches", OnvifMessageKind::ProbeMatches},
                {"Hello", OnvifMessageKind::Hello},
                {"Bye", OnvifMessageKind::Bye},
                {"Probe", OnvifMessageKind::Probe},
            };
            for (const auto& [name, kind] : kKinds) {
                if (Is(3, name))
                    m_message.kind = kind;
            }
            if (m_message.kind != OnvifMessageKind::None && m_message.kind != OnvifMessageKind::ProbeMatches)
                OpenMatch();
        } else if (depth == 4 && m_message.kind == OnvifMessageKind::ProbeMatches && Is(3, "ProbeMatches") &&
                   Is(4, "ProbeMatch") && m_message.matches.size() < std::size_t(Limits::kMatches)) {
            OpenMatch();
        } else if (m_match && depth == m_matchDepth + 1) {
            static constexpr std::pair<const char*, Field> kFields[] = {
                {"Types", Field::Types},
                {"Scopes", Field::Scopes},
                {"XAddrs", Field::XAddrs},
                {"MetadataVersion", Field::MetadataVersion},
            };
            for (const auto& [name, field] : kFields) {
                if (Is(depth, name))
                    Capture(field);
            }
        } else if (m_match && depth == m_matchDepth + 2 && Is(depth - 1, "EndpointReference") &&
                   Is(depth, "Address")) {
            Capture(Field::Address);
        }
        return true;
    }

    void OpenMatch()
    {
        m_match.emplace();
        m_matchDepth = Depth();
    }

    void End()
    {
        const int depth = Depth();
        if (m_field != Field::None && depth == m_fieldDepth) {
            Commit();
            m_field = Field::None;
        }
        if (m_match && depth == m_matchDepth) {
            m_message.matches.push_back(std::move(*m_match));
            m_match.reset();
        }
        while (!m_declarations.empty() && m_declarations.back().depth >= depth)
            m_declarations.pop_back();
        if (!m_path.empty())
            m_path.pop_back();
    }

    QString Resolve(QStringView prefix) const
    {
        const auto found = std::find_if(m_declarations.rbegin(), m_declarations.rend(),
                                        [prefix](const Declaration& d) { return d.prefix == prefix; });
        return found == m_declarations.rend() ? QString() : found->uri;
    }

    void Commit()
    {
        if (m_field == Field::MessageId || m_field == Field::RelatesTo) {
            (m_field == Field::MessageId ? m_message.messageId : m_message.relatesTo) = m_text.trimmed();
            return;
        }
        if (!m_match)
            return;
        switch (m_field) {
        case Field::Address:
            m_match->address = m_text.trimmed();
            break;
        case Field::MetadataVersion:
            m_match->metadataVersion = m_text.trimmed();
            break;
        case Field::Scopes:
            m_match->scopes += ReadOnvifScopes(m_text, Limits::kListWords - m_match->scopes.size());
            break;
        case Field::XAddrs:
            // A match with a list twice has it once: the second adds to the first, within the limit.
            for (const QStringView word : OnvifListWords(m_text, Limits::kListWords - m_match->xaddrs.size()))
                m_match->xaddrs.append(word.toString());
            break;
        case Field::Types:
            for (const QStringView word :
                 OnvifListWords(m_text, Limits::kListWords - m_match->types.size())) {
                const qsizetype colon = word.lastIndexOf(QLatin1Char(':'));
                const QStringView prefix = colon < 0 ? QStringView() : word.first(colon);
                m_match->types.append({Resolve(prefix), word.sliced(colon + 1).toString()});
            }
            break;
        default:
            break;
        }
    }

    std::string_view m_bytes;
    std::size_t m_fed = 0;
    QXmlStreamReader m_xml;
    std::vector<QString> m_path; // the local names of the open elements
    std::vector<Declaration> m_declarations;
    int m_elements = 0;
    bool m_bodyChildSeen = false;
    std::optional<OnvifMatch> m_match;
    int m_matchDepth = 0;
    Field m_field = Field::None;
    int m_fieldDepth = 0;
    QString m_text;
    OnvifMessage m_message;
};

} // namespace

OnvifMessage ReadOnvifMessage(std::span<const std::uint8_t> datagram)
{
    if (datagram.size() > Limits::kDatagram)
        return {};
    std::string_view bytes(reinterpret_cast<const char*>(datagram.data()), datagram.size());
    // Some cameras end their answer as a C string.
    while (!bytes.empty() && bytes.back() == '\0')
        bytes.remove_suffix(1);
    if (bytes.empty() || !ShapeWithinLimits(bytes))
        return {};
    return MessageReader(bytes).Read();
}

} // namespace Netrove
