// The RDF walker: XML events in, XMP properties out. The element stack is
// kept on the heap and bounded, so a hostile nesting neither recurses nor
// grows without end; the values' total size and count are bounded too.
#include "xmp/xmp_properties.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "xmp/xml_events.h"

namespace {

constexpr char kRdfNamespace[] = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr char kXmlNamespace[] = "http://www.w3.org/XML/1998/namespace";

// XMP nests a few levels (packet, RDF, description, property, list, item,
// structure, ...): far deeper than any writer goes is refused.
constexpr size_t kMaxDepth = 128;
constexpr size_t kMaxValueBytes = 16 * 1024 * 1024;
constexpr size_t kMaxValues = 100000;

enum class FrameKind {
    Outside,    // before rdf:RDF (x:xmpmeta) or beside it
    Rdf,        // rdf:RDF: its children describe resources
    Node,       // rdf:Description, or a property with rdf:parseType="Resource": children are properties
    Property,   // a property element or a list item: text, a resource, or one node
    Container,  // rdf:Bag, rdf:Seq, rdf:Alt: children are rdf:li
    Ignored,    // inside something not read (an XML literal)
};

constexpr size_t kNoProperty = static_cast<size_t>(-1);
constexpr size_t kNoSpace = static_cast<size_t>(-1);

// A namespace and the prefix the packet writes for it, kept once for the
// properties and fields under it.
struct Space {
    std::string uri;
    std::string prefix;
};

// Where values land: the top property's namespace (an index of the
// walker's spaces) and the path below it, and the property once it has
// been looked up (a list's items all land in one property: it is found once).
struct Target {
    size_t space = kNoSpace;
    std::string path;
    size_t property = kNoProperty;
};

// The properties by namespace and path: an open-addressed table of
// positions plus one (0: empty), at most half full, whose probes compare
// the properties themselves, so that a look-up builds no key.
class PropertyIndex {
public:
    explicit PropertyIndex(const std::vector<XmpProperty>& properties) : properties_(properties) {
        Rebuild(64);
    }

    size_t Find(std::string_view uri, std::string_view path) const {
        const uint32_t found = slots_[SlotOf(uri, path)];
        return found == 0 ? kNoProperty : found - 1;
    }

    // Takes in the property just added at the end of the properties.
    void AddLast() {
        if (2 * properties_.size() > slots_.size()) {
            Rebuild(2 * slots_.size());
            return;
        }
        const XmpProperty& last = properties_.back();
        slots_[SlotOf(last.namespaceUri, last.path)] = static_cast<uint32_t>(properties_.size());
    }

private:
    size_t SlotOf(std::string_view uri, std::string_view path) const {
        const size_t mask = slots_.size() - 1;
        size_t slot = (std::hash<std::string_view>()(uri) * 31 + std::hash<std::string_view>()(path)) & mask;
        while (slots_[slot] != 0) {
            const XmpProperty& kept = properties_[slots_[slot] - 1];
            if (kept.path == path && kept.namespaceUri == uri) break;
            slot = (slot + 1) & mask;
        }
        return slot;
    }

    void Rebuild(size_t size) {
        while (size < 2 * properties_.size()) size *= 2;
        slots_.assign(size, 0);
        for (size_t i = 0; i < properties_.size(); i++) {
            const size_t slot = SlotOf(properties_[i].namespaceUri, properties_[i].path);
            if (slots_[slot] == 0) slots_[slot] = static_cast<uint32_t>(i + 1);
        }
    }

    const std::vector<XmpProperty>& properties_;
    std::vector<uint32_t> slots_;
};

// An element being read. Its target is an index into the walker's target
// stack: the elements of a list and the items below it share their
// property's target instead of copying its names.
struct Frame {
    FrameKind kind = FrameKind::Outside;
    size_t target = 0;
    size_t targetsBelow = 0;  // the target stack's height before this element
    XmpForm listForm = XmpForm::Simple;  // the innermost list the values go into
    std::string language;
    std::string text;
    std::string resource;
    bool hasResource = false;
    bool hasChild = false;  // a child element or field attributes: no text value
    bool valued = false;    // a property element: without children, its text is its value
};

bool IsRdf(const XmlName& name, const char* local) {
    return name.namespaceUri == kRdfNamespace && name.local == local;
}

bool IsXml(const XmlName& name, const char* local) {
    return name.namespaceUri == kXmlNamespace && name.local == local;
}

// The target of a child named name: rdf's own elements (rdf:value) and a
// name without namespace add nothing to the path.
bool Extends(const XmlName& name) { return !name.namespaceUri.empty() && name.namespaceUri != kRdfNamespace; }

class RdfWalker : public XmlEventHandler {
public:
    RdfWalker(std::vector<XmpProperty>& properties, std::vector<std::string>& messages)
        : properties_(properties), messages_(messages), index_(properties), earlierPackets_(properties.size()) {
        targets_.emplace_back();  // the root: no property
    }

    bool StartElement(const XmlName& name, const std::vector<XmlAttribute>& attributes) override {
        if (stack_.size() >= kMaxDepth) {
            messages_.push_back("XMP elements nested more than " + std::to_string(kMaxDepth) +
                                " deep; the rest of the packet is not read");
            return false;
        }
        const size_t targetsBelow = targets_.size();
        Frame frame = ChildFrame(name);
        frame.targetsBelow = targetsBelow;
        if (frame.kind == FrameKind::Node) {
            if (!ReadNodeAttributes(frame, attributes)) return false;
        } else if (frame.kind == FrameKind::Property) {
            if (!ReadPropertyAttributes(frame, attributes)) return false;
        } else if (frame.kind == FrameKind::Outside) {
            // The packet's wrapper carries the writer's name (x:xmptk) as an attribute.
            if (!ReadNodeAttributes(Frame(), attributes)) return false;
        }
        stack_.push_back(std::move(frame));
        return true;
    }

    bool EndElement() override {
        if (stack_.empty()) return true;
        Frame frame = std::move(stack_.back());
        stack_.pop_back();
        const bool added = AddValueOf(frame);
        targets_.resize(frame.targetsBelow);
        return added;
    }

    bool CharacterData(const char* text, size_t length) override {
        if (stack_.empty() || !stack_.back().valued || stack_.back().kind == FrameKind::Ignored) return true;
        if (!Spend(length, 0)) return false;
        stack_.back().text.append(text, length);
        return true;
    }

private:
    // The space of a namespace and prefix, kept when new. The properties of
    // one description mostly share one: the last is tried first.
    size_t SpaceOf(std::string_view uri, std::string_view prefix) {
        if (lastSpace_ < spaces_.size() && spaces_[lastSpace_].uri == uri && spaces_[lastSpace_].prefix == prefix) {
            return lastSpace_;
        }
        key_.assign(uri);
        key_ += '\n';
        key_ += prefix;
        auto found = spaceIndex_.find(key_);
        if (found == spaceIndex_.end()) {
            found = spaceIndex_.emplace(key_, spaces_.size()).first;
            spaces_.push_back(Space{std::string(uri), std::string(prefix)});
        }
        lastSpace_ = found->second;
        return lastSpace_;
    }

    Target Extend(const Target& parent, const XmlName& name) {
        if (!Extends(name)) return parent;
        Target child;
        if (parent.path.empty()) {
            child.space = SpaceOf(name.namespaceUri, name.prefix);
            child.path = name.local;
        } else {
            child.space = parent.space;
            child.path.reserve(parent.path.size() + 1 + name.local.size());
            child.path = parent.path;
            child.path += '/';
            child.path += name.local;
        }
        return child;
    }

    // A property's name: the name part of each step of its path, joined.
    static std::string NameOfPath(std::string_view path) {
        std::string name;
        name.reserve(path.size());
        size_t start = 0;
        for (;;) {
            const size_t end = path.find('/', start);
            AppendXmpNamePart(path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start),
                              name);
            if (end == std::string_view::npos) return name;
            start = end + 1;
        }
    }

    // What an element gives when it ends.
    bool AddValueOf(Frame& frame) {
        Target& target = targets_[frame.target];
        if (frame.kind == FrameKind::Container && !frame.hasChild && !target.path.empty()) {
            // An empty list is a property with no value.
            if (!Spend(0, 1)) return false;
            PropertyOf(target, frame.listForm);
            return true;
        }
        // An empty structure (rdf:parseType="Resource" with no field) keeps its text too.
        if (!frame.valued || frame.hasChild || frame.kind == FrameKind::Ignored) return true;
        if (frame.hasResource && !Spend(frame.resource.size(), 0)) return false;
        return Add(target, frame.listForm, frame.language,
                   std::move(frame.hasResource ? frame.resource : frame.text));
    }

    // The target of a child element named name, pushed when the name adds
    // to the path (rdf's own elements and names without namespace do not).
    size_t ChildTarget(size_t parent, const XmlName& name) {
        if (!Extends(name)) return parent;
        targets_.push_back(Extend(targets_[parent], name));
        return targets_.size() - 1;
    }

    // What an element is, from what holds it.
    Frame ChildFrame(const XmlName& name) {
        Frame frame;
        if (stack_.empty()) {
            frame.kind = IsRdf(name, "RDF") ? FrameKind::Rdf : FrameKind::Outside;
            return frame;
        }
        Frame& parent = stack_.back();
        switch (parent.kind) {
            case FrameKind::Outside:
                frame.kind = IsRdf(name, "RDF") ? FrameKind::Rdf : FrameKind::Outside;
                return frame;
            case FrameKind::Rdf:
                frame.kind = FrameKind::Node;
                return frame;
            case FrameKind::Node:
                parent.hasChild = true;
                frame.kind = FrameKind::Property;
                frame.valued = true;
                frame.target = ChildTarget(parent.target, name);
                frame.listForm = parent.listForm;
                return frame;
            case FrameKind::Property:
                parent.hasChild = true;
                frame.target = parent.target;
                frame.listForm = parent.listForm;
                frame.kind = FrameKind::Container;
                if (IsRdf(name, "Bag")) {
                    frame.listForm = XmpForm::Bag;
                } else if (IsRdf(name, "Seq")) {
                    frame.listForm = XmpForm::Seq;
                } else if (IsRdf(name, "Alt")) {
                    frame.listForm = XmpForm::Alt;
                } else {
                    frame.kind = FrameKind::Node;  // rdf:Description or a typed node: a structure
                }
                return frame;
            case FrameKind::Container:
                parent.hasChild = true;
                frame.kind = FrameKind::Property;
                frame.valued = true;
                frame.target = parent.target;
                frame.listForm = parent.listForm;
                return frame;
            case FrameKind::Ignored:
                break;
        }
        frame.kind = FrameKind::Ignored;
        return frame;
    }

    // rdf:Description's attributes other than rdf's and xml's are properties;
    // so is the name of what a top description is about, when it has one.
    bool ReadNodeAttributes(const Frame& node, const std::vector<XmlAttribute>& attributes) {
        for (const XmlAttribute& attribute : attributes) {
            const std::string_view uri = attribute.name.namespaceUri;
            if (IsRdf(attribute.name, "about") && targets_[node.target].path.empty() && !attribute.value.empty()) {
                if (!AddAbout(attribute)) return false;
                continue;
            }
            if (uri.empty() || uri == kRdfNamespace || uri == kXmlNamespace) continue;
            if (!Spend(attribute.value.size(), 0)) return false;
            Target field = Extend(targets_[node.target], attribute.name);
            if (!Add(field, node.listForm, std::string_view(), std::string(attribute.value))) return false;
        }
        return true;
    }

    // A property element's attributes: its language, a resource as its value,
    // rdf:parseType="Resource" making it a structure, and any other named
    // attribute a field of the structure it then is.
    bool ReadPropertyAttributes(Frame& frame, const std::vector<XmlAttribute>& attributes) {
        for (const XmlAttribute& attribute : attributes) {
            if (IsXml(attribute.name, "lang")) {
                frame.language = attribute.value;
            } else if (IsRdf(attribute.name, "resource")) {
                frame.resource = attribute.value;
                frame.hasResource = true;
            } else if (IsRdf(attribute.name, "parseType")) {
                if (attribute.value == "Resource") frame.kind = FrameKind::Node;
                if (attribute.value == "Literal") frame.kind = FrameKind::Ignored;
            }
        }
        for (const XmlAttribute& attribute : attributes) {
            const std::string_view uri = attribute.name.namespaceUri;
            if (uri.empty() || uri == kRdfNamespace || uri == kXmlNamespace) continue;
            frame.hasChild = true;
            if (frame.kind == FrameKind::Ignored) continue;
            if (!Spend(attribute.value.size(), 0)) return false;
            Target field = Extend(targets_[frame.target], attribute.name);
            if (!Add(field, frame.listForm, std::string_view(), std::string(attribute.value))) return false;
        }
        return true;
    }

    // Every description of a packet names the same resource: it is told once.
    bool AddAbout(const XmlAttribute& attribute) {
        Target target;
        target.space = SpaceOf(attribute.name.namespaceUri, attribute.name.prefix);
        target.path = attribute.name.local;
        const size_t found = index_.Find(attribute.name.namespaceUri, target.path);
        if (found != kNoProperty) {
            const std::vector<std::string>& values = properties_[found].values;
            if (std::find(values.begin(), values.end(), attribute.value) != values.end()) return true;
        }
        return Spend(attribute.value.size(), 0) &&
               Add(target, XmpForm::Simple, std::string_view(), std::string(attribute.value));
    }

    bool Spend(size_t bytes, size_t values) {
        valueBytes_ += bytes;
        valueCount_ += values;
        if (valueBytes_ <= kMaxValueBytes && valueCount_ <= kMaxValues) return true;
        messages_.push_back("XMP values over " + std::to_string(kMaxValueBytes) + " bytes or " +
                            std::to_string(kMaxValues) + " values; the rest of the packet is not read");
        return false;
    }

    // The property of the target, made when it is new (an empty list stays
    // one, with no value); nullptr for one the main packet already gave.
    XmpProperty* PropertyOf(Target& target, XmpForm form) {
        if (target.property == kNoProperty) {
            const Space& space = spaces_[target.space];
            size_t found = index_.Find(space.uri, target.path);
            if (found == kNoProperty) {
                found = properties_.size();
                XmpProperty made;
                made.namespaceUri = space.uri;
                made.path = target.path;
                made.prefix = space.prefix;
                made.name = NameOfPath(target.path);
                made.form = form;
                properties_.push_back(std::move(made));
                index_.AddLast();
            }
            target.property = found;
        }
        return target.property < earlierPackets_ ? nullptr : &properties_[target.property];
    }

    bool Add(Target& target, XmpForm form, std::string_view language, std::string value) {
        if (target.path.empty()) return true;
        if (!Spend(language.size(), 1)) return false;
        XmpProperty* found = PropertyOf(target, form);
        if (found == nullptr) return true;
        XmpProperty& property = *found;
        if (form == XmpForm::Simple && property.form == XmpForm::Simple) {
            // A simple property given twice: the later value stands.
            property.values.resize(1);
            property.values[0] = std::move(value);
            return true;
        }
        if (property.form != XmpForm::Alt) {
            property.values.push_back(std::move(value));
            return true;
        }
        // The default language comes first, wherever the packet puts it.
        const bool isDefault = language == "x-default";
        const size_t at = isDefault ? 0 : property.values.size();
        property.values.insert(property.values.begin() + static_cast<std::ptrdiff_t>(at), std::move(value));
        property.languages.insert(property.languages.begin() + static_cast<std::ptrdiff_t>(at), std::string(language));
        return true;
    }

    std::vector<XmpProperty>& properties_;
    std::vector<std::string>& messages_;
    PropertyIndex index_;
    std::vector<Space> spaces_;
    std::unordered_map<std::string, size_t> spaceIndex_;
    size_t lastSpace_ = kNoSpace;
    std::string key_;
    // Properties of the main packet stand against its extension's.
    size_t earlierPackets_ = 0;
    std::vector<Frame> stack_;
    std::vector<Target> targets_;
    size_t valueBytes_ = 0;
    size_t valueCount_ = 0;
};

}  // namespace

void AppendXmpNamePart(std::string_view local, std::string& name) {
    bool hasLower = false;
    for (char c : local) hasLower = hasLower || (c >= 'a' && c <= 'z');
    // The part is never longer than the local name: written in place.
    const size_t first = name.size();
    name.resize(first + local.size());
    char* const start = &name[first];
    char* out = start;
    for (size_t i = 0; i < local.size(); i++) {
        char c = local[i];
        if (!hasLower) {
            if (c == '_' && i + 1 < local.size() && local[i + 1] >= 'A' && local[i + 1] <= 'Z') {
                *out++ = local[++i];
                continue;
            }
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '_';
        if (kept) *out++ = c;
    }
    if (out > start && *start >= 'a' && *start <= 'z') *start = static_cast<char>(*start - 'a' + 'A');
    name.resize(first + static_cast<size_t>(out - start));
}

namespace {

bool IsXmlBlank(uint8_t byte) { return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n'; }

// Where the blanks before end stop: padding is mostly spaces, passed eight
// at a time.
size_t StartOfBlanksBefore(ByteView bytes, size_t end) {
    static const uint8_t kSpaces[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    for (;;) {
        while (end >= 8 && std::memcmp(bytes.data + end - 8, kSpaces, 8) == 0) end -= 8;
        if (end == 0 || !IsXmlBlank(bytes.data[end - 1])) return end;
        end--;
    }
}

// A packet ends with its trailer, <?xpacket end="w"?> (or 'r', in either
// quotes), after padding of blanks that writers leave for editing in place:
// often as many bytes as the content, and the parser reads each. The packet
// without that padding, as the piece before it and the trailer's, when it
// ends so and the padding is worth leaving out.
bool WithoutPadding(ByteView packet, ByteView pieces[2]) {
    static const char kOpening[] = "<?xpacket end=";
    constexpr size_t kOpeningSize = sizeof kOpening - 1;
    constexpr size_t kTrailerSize = kOpeningSize + 5;  // the quoted letter and "?>"
    constexpr size_t kLeastPadding = 256;
    size_t markLength = 0;
    if (DetectXmlEncoding(packet, &markLength) != XmlEncoding::Utf8) return false;
    size_t end = packet.size;
    while (end > 0 && IsXmlBlank(packet.data[end - 1])) end--;
    if (end < kTrailerSize) return false;
    const size_t trailer = end - kTrailerSize;
    const uint8_t* t = packet.data + trailer;
    const uint8_t quote = t[kOpeningSize];
    if (std::memcmp(t, kOpening, kOpeningSize) != 0 || (quote != '"' && quote != '\'') ||
        (t[kOpeningSize + 1] != 'w' && t[kOpeningSize + 1] != 'r') || t[kOpeningSize + 2] != quote ||
        t[kOpeningSize + 3] != '?' || t[kOpeningSize + 4] != '>') {
        return false;
    }
    const size_t padding = StartOfBlanksBefore(packet, trailer);
    if (trailer - padding < kLeastPadding) return false;
    pieces[0] = MakeView(packet.data, padding);
    pieces[1] = MakeView(packet.data + trailer, packet.size - trailer);
    return true;
}

}  // namespace

bool ReadXmpProperties(ByteView packet, std::vector<XmpProperty>& properties, std::vector<std::string>& messages) {
    // Read without its padding, a packet that is well-formed tells the
    // same: blanks after the root element are no character data, and
    // before its end they would leave the root open, which the packet
    // without them shows by failing. A packet that fails is read again as
    // it stands, so that what is kept and where the message points are its
    // own; its extension's walker never changes the properties before it.
    ByteView pieces[2];
    if (WithoutPadding(packet, pieces)) {
        const size_t propertiesBefore = properties.size();
        const size_t messagesBefore = messages.size();
        RdfWalker walker(properties, messages);
        std::string message;
        if (ParseXmlEventsInPieces(pieces, 2, walker, &message)) return true;
        properties.erase(properties.begin() + static_cast<std::ptrdiff_t>(propertiesBefore), properties.end());
        messages.erase(messages.begin() + static_cast<std::ptrdiff_t>(messagesBefore), messages.end());
    }
    RdfWalker walker(properties, messages);
    std::string message;
    const bool whole = ParseXmlEvents(packet, walker, &message);
    if (!message.empty()) messages.push_back("XMP " + message);
    return whole;
}
