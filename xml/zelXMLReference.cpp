// What a DOCTYPE declares, for the writer's references in attribute values.
#include "zelXMLReference.h"

#include <algorithm>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

TzelDeclaredEntities::TzelDeclaredEntities(std::string_view prolog)
{
    size_t at = prolog.find("<!DOCTYPE");
    if (at == std::string_view::npos)
        return;
    at += 9;
    while (at < prolog.size() && IsBlank(prolog[at]))
        ++at;
    while (at < prolog.size() && !IsBlank(prolog[at]) && prolog[at] != '[' && prolog[at] != '>')
        ++at; // the root element's name
    while (at < prolog.size() && IsBlank(prolog[at]))
        ++at;
    if (prolog.substr(at, 6) == "SYSTEM" || prolog.substr(at, 6) == "PUBLIC")
        any_ = true;
    // The external identifier's literals, up to the internal subset or the end.
    for (char quote = 0; at < prolog.size(); ++at) {
        const char c = prolog[at];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return;
        } else if (c == '[') {
            break;
        }
    }
    // The internal subset: declarations, comments, instructions and parameter-entity references.
    for (++at; at < prolog.size() && prolog[at] != ']';) {
        const std::string_view rest = prolog.substr(at);
        if (rest.starts_with("<!--") || rest.starts_with("<?")) {
            const size_t end = prolog.find(rest[1] == '!' ? "-->" : "?>", at);
            at = end == std::string_view::npos ? prolog.size() : end + (rest[1] == '!' ? 3 : 2);
        } else if (rest[0] == '%') {
            any_ = true;
            ++at;
        } else if (rest[0] == '<') {
            // A declaration up to its ">", its quoted values skipped.
            size_t name = at + 2;
            if (rest.starts_with("<!ENTITY")) {
                name = at + 8;
                while (name < prolog.size() && IsBlank(prolog[name]))
                    ++name;
                size_t end = name;
                while (end < prolog.size() && !IsBlank(prolog[end]) && prolog[end] != '>')
                    ++end;
                if (name < prolog.size() && prolog[name] != '%')
                    names_.emplace_back(prolog.substr(name, end - name));
                else
                    name = end;
            }
            for (char quote = 0; name < prolog.size(); ++name) {
                const char c = prolog[name];
                if (quote)
                    quote = c == quote ? 0 : quote;
                else if (c == '"' || c == '\'')
                    quote = c;
                else if (c == '>')
                    break;
            }
            at = name + 1;
        } else {
            ++at;
        }
    }
}

bool TzelDeclaredEntities::Declares(std::string_view name) const
{
    return any_ || std::find(names_.begin(), names_.end(), name) != names_.end();
}
