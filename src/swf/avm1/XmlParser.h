// XmlParser: splits XML text into the events the player's XML.parseXML builds its tree from.
// It is lenient where the player is: no well-formedness checks beyond what `status` reports,
// entities decoded in text and attribute values, comments dropped, CDATA kept verbatim as
// text, text of white space only dropped when `ignoreWhite` is set.
//
// Failure: the first error stops the events and sets `status()` to the player's code
// (-2 CDATA, -3 XML declaration, -4 DOCTYPE, -5 comment not terminated, -6 malformed element,
// -8 attribute value not terminated); the caller sets -9/-10 for unbalanced tags with fail().
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace saver::swf::avm1 {

class XmlParser {
  public:
    struct Event {
        enum Kind { Open, Close, Text, XmlDecl, DocType } kind = Text;
        std::string name;  // tag name, or the text/declaration
        std::vector<std::pair<std::string, std::string>> attributes;  // Open, in order
        bool selfClosing = false;
    };

    XmlParser(std::string_view text, bool ignoreWhite) : s_(text), ignoreWhite_(ignoreWhite) {}

    bool next(Event& e);  // false at the end or after an error
    int status() const { return status_; }
    void fail(int status) {
        if (status_ == 0) status_ = status;
        pos_ = s_.size();
    }

  private:
    bool tag(Event& e);
    bool special(Event& e);

    std::string_view s_;
    bool ignoreWhite_;
    std::size_t pos_ = 0;
    int status_ = 0;
};

// Replaces & < > " ' by their entities, as the player writes text and attribute values.
std::string XmlEscape(std::string_view s);
// Decodes &lt; &gt; &amp; &quot; &apos; (others are kept as they stand).
std::string XmlUnescape(std::string_view s);

}  // namespace saver::swf::avm1
