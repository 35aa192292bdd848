#include "bill/XmlReader.h"

// expat.h declares the entity amplification limits only with XML_DTD, which the library (as
// Debian builds it) has and its header does not define.
#ifndef XML_DTD
#define XML_DTD 1
#endif
#include <expat.h>

#include <algorithm>
#include <new>
#include <stdexcept>

namespace bill {

namespace {
constexpr char kSeparator = '\x01';  // never in an XML document, so never in a URI or a name
}

struct XmlReader::Parser {
    XML_Parser p;
    Parser() : p(XML_ParserCreateNS(nullptr, kSeparator)) {
        if (!p) throw std::bad_alloc();
    }
    ~Parser() { XML_ParserFree(p); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;
};

XmlReader::Name XmlReader::Split(std::string_view expanded) {
    const size_t first = expanded.find(kSeparator);
    if (first == std::string_view::npos) return {{}, expanded};
    std::string_view local = expanded.substr(first + 1);
    local = local.substr(0, local.find(kSeparator));
    return {expanded.substr(0, first), local};
}

std::string_view XmlReader::Attributes::Get(std::string_view ns, std::string_view local) const {
    for (const char** a = pairs_; a[0]; a += 2)
        if (Split(a[0]).Is(ns, local)) return a[1];
    return {};
}

// Expat is C: nothing may be thrown through it. A handler's exception is kept, the parser
// stopped, and the exception thrown again once XML_Parse has returned.
template <typename F>
void XmlReader::Event(F&& work) {
    if (error_ || !refusal_.empty()) return;
    XML_Parser p = parser_->p;
    mark_ = XML_GetCurrentByteIndex(p) + XML_GetCurrentByteCount(p);
    try {
        work();
    } catch (...) {
        error_ = std::current_exception();
        XML_StopParser(p, XML_FALSE);
    }
}

void XmlReader::Stop(std::string refusal) {
    if (!refusal_.empty() || error_) return;
    refusal_ = std::move(refusal);
    XML_StopParser(parser_->p, XML_FALSE);
}

// Expat keeps every distinct element and attribute name (as prefix and local name) and every
// namespace prefix until the end of the document.
void XmlReader::Count(char kind, std::string_view name) {
    const size_t at = name.find(kSeparator);
    std::string key(1, kind);
    key += at == std::string_view::npos ? name : name.substr(at + 1);
    if (names_.size() < kMaxNames || names_.count(key)) {
        names_.insert(std::move(key));
        return;
    }
    Stop("名称超过" + std::to_string(kMaxNames) + "个");
}

XmlReader::XmlReader(std::string part, Handler& handler)
    : part_(std::move(part)), handler_(handler), parser_(std::make_unique<Parser>()) {
    XML_Parser p = parser_->p;
    XML_SetUserData(p, this);
    XML_SetReturnNSTriplet(p, XML_TRUE);
#if XML_MAJOR_VERSION > 2 || (XML_MAJOR_VERSION == 2 && XML_MINOR_VERSION >= 4)
    // Never reached while a DOCTYPE is refused; kept so that no entity can ever amplify.
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(p, 20.0f);
    XML_SetBillionLaughsAttackProtectionActivationThreshold(p, 1u << 20);
#endif
    XML_SetParamEntityParsing(p, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetStartDoctypeDeclHandler(p, [](void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        static_cast<XmlReader*>(data)->Stop("含有DOCTYPE声明");
    });
    XML_SetEntityDeclHandler(p, [](void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*, const XML_Char*,
                                   const XML_Char*, const XML_Char*) { static_cast<XmlReader*>(data)->Stop("含有实体声明"); });
    XML_SetStartNamespaceDeclHandler(p, [](void* data, const XML_Char* prefix, const XML_Char*) {
        auto& r = *static_cast<XmlReader*>(data);
        r.Event([&] { r.Count('p', prefix ? prefix : ""); });
    });
    XML_SetElementHandler(
        p,
        [](void* data, const XML_Char* name, const XML_Char** attributes) {
            auto& r = *static_cast<XmlReader*>(data);
            r.Event([&] {
                if (++r.depth_ > kMaxDepth) return r.Stop("嵌套超过" + std::to_string(kMaxDepth) + "层");
                r.Count('e', name);
                for (const XML_Char** a = attributes; a[0]; a += 2) r.Count('a', a[0]);
                if (r.refusal_.empty()) r.handler_.Start(Split(name), Attributes(attributes));
            });
        },
        [](void* data, const XML_Char* name) {
            auto& r = *static_cast<XmlReader*>(data);
            r.Event([&] {
                --r.depth_;
                r.handler_.End(Split(name));
            });
        });
    XML_SetCharacterDataHandler(p, [](void* data, const XML_Char* s, int length) {
        auto& r = *static_cast<XmlReader*>(data);
        r.Event([&] { r.handler_.Text(std::string_view(s, static_cast<size_t>(length))); });
    });
    XML_SetCommentHandler(p, [](void* data, const XML_Char*) {
        auto& r = *static_cast<XmlReader*>(data);
        r.Event([] {});
    });
    XML_SetProcessingInstructionHandler(p, [](void* data, const XML_Char*, const XML_Char*) {
        auto& r = *static_cast<XmlReader*>(data);
        r.Event([] {});
    });
}

XmlReader::~XmlReader() = default;

void XmlReader::Parse(std::string_view piece, bool last) {
    XML_Parser p = parser_->p;
    while (!piece.empty() || last) {
        const size_t n = std::min<size_t>(piece.size(), 1u << 20);
        fed_ += static_cast<long long>(n);
        const XML_Status status = XML_Parse(p, piece.data(), static_cast<int>(n), last && n == piece.size());
        piece.remove_prefix(n);
        if (error_) std::rethrow_exception(error_);
        if (!refusal_.empty()) throw std::runtime_error("xlsx文件中" + part_ + "的XML" + refusal_ + "，不能导入");
        if (status != XML_STATUS_OK)
            throw std::runtime_error("xlsx文件中" + part_ + "的XML格式有误(第" + std::to_string(XML_GetCurrentLineNumber(p)) + "行)");
        if (fed_ - mark_ > kMaxPending)
            throw std::runtime_error("xlsx文件中" + part_ + "的XML标记超过" + std::to_string(kMaxPending >> 10) + "KB，不能导入");
        if (piece.empty()) break;
    }
}

void XmlReader::Feed(std::string_view piece) { Parse(piece, false); }

void XmlReader::Finish() { Parse({}, true); }

}  // namespace bill
