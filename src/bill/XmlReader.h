// An XML document read with expat, in pieces, namespace-aware: every element and attribute name
// reaches the handler as its namespace URI and local name. What a file from outside may not
// do is refused with a message for the operator: a DOCTYPE (and with it every entity declaration;
// a workbook part never has one), nesting deeper than kMaxDepth, more than kMaxNames distinct
// names (expat keeps each for the whole document), and a tag longer than kMaxPending bytes, which
// expat would have to hold whole. Text reaches the handler in pieces as it is read.
#pragma once
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>

namespace bill {

class XmlReader {
public:
    static constexpr int kMaxDepth = 64;
    static constexpr size_t kMaxNames = 4096;
    static constexpr long long kMaxPending = 1 << 20;

    struct Name {
        std::string_view ns, local;
        bool Is(std::string_view n, std::string_view l) const { return ns == n && local == l; }
    };
    // The attributes of a start tag.
    class Attributes {
    public:
        explicit Attributes(const char** pairs) : pairs_(pairs) {}
        // The value of the attribute `local` in namespace `ns` ("" for an unprefixed attribute);
        // empty when absent.
        std::string_view Get(std::string_view ns, std::string_view local) const;

    private:
        const char** pairs_;
    };
    class Handler {
    public:
        virtual ~Handler() = default;
        // May throw; the reading then ends and Feed or Finish throws the same.
        virtual void Start(Name name, const Attributes& attributes) = 0;
        virtual void End(Name name) = 0;
        virtual void Text(std::string_view text) = 0;
    };

    // `part` names the document in messages.
    XmlReader(std::string part, Handler& handler);
    ~XmlReader();
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    // Throws std::runtime_error with a message for the operator when the document is malformed or
    // does what is refused above.
    void Feed(std::string_view piece);
    void Finish();

    // Splits a name as expat hands it over ("uri\1local\1prefix", "uri\1local" or "local").
    static Name Split(std::string_view expanded);

private:
    struct Parser;
    void Parse(std::string_view piece, bool last);
    // Runs the work of one event unless the reading has already ended.
    template <typename F>
    void Event(F&& work);
    void Stop(std::string refusal);
    void Count(char kind, std::string_view name);

    std::string part_;
    Handler& handler_;
    std::unique_ptr<Parser> parser_;
    int depth_ = 0;
    long long fed_ = 0, mark_ = 0;  // bytes given to expat; the end of the last event it reported
    std::unordered_set<std::string> names_;
    std::string refusal_;
    std::exception_ptr error_;
};

}  // namespace bill
