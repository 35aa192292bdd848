#include "db/Recordset.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <numeric>

#include "db/Error.h"
#include "db/NaturalOrder.h"
#include "db/TextUtil.h"
#include "db/Session.h"

namespace db {

struct Recordset::Cursor {
    std::shared_ptr<Session> session;
    std::string source;
    std::shared_ptr<const RowSet> rows;
    std::vector<int> order;  // row ids in the current sort order
    std::string sort;
    long pos = 0;  // 0-based index into order; -1 BOF, order.size() EOF
    bool open = false;
    std::function<void()> moveComplete;
    std::map<int, std::function<void()>> listeners;
    int nextToken = 1;
};

namespace {

using text::EqualNoCase;


[[noreturn]] void Closed() { throw Error(ErrorCode::ClosedObject, "对象关闭时，不允许操作。"); }

// The sort key of one value, taken once before sorting, so that comparing two rows converts
// nothing. Order: nulls first, numbers by value, dates by value, anything else by its text; a
// number or date meets a value of another class by their texts.
struct SortKey {
    enum Class { Nothing, Number, Date, Other } cls = Nothing;
    double number = 0;
    DateTime date;
    const std::string* text = nullptr;  // where a comparison by text can happen: the value's own ...
    std::string owned;                  // ... or its text form
};

int CompareKeys(const SortKey& a, const SortKey& b) {
    if (a.cls == SortKey::Nothing || b.cls == SortKey::Nothing)
        return a.cls == b.cls ? 0 : (a.cls == SortKey::Nothing ? -1 : 1);
    if (a.cls == SortKey::Number && b.cls == SortKey::Number)
        return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    if (a.cls == SortKey::Date && b.cls == SortKey::Date) return a.date < b.date ? -1 : (b.date < a.date ? 1 : 0);
    return NaturalCompare(*a.text, *b.text);
}

std::vector<SortKey> SortKeys(const std::vector<std::vector<Value>>& rows, int field) {
    std::vector<SortKey> keys(rows.size());
    bool numbers = false, dates = false, others = false;
    for (size_t r = 0; r < rows.size(); ++r) {
        const Value& v = rows[r][field];
        SortKey& k = keys[r];
        switch (v.GetKind()) {
            case Value::Kind::Empty: case Value::Kind::Null: break;
            case Value::Kind::Int16: case Value::Kind::Int32: case Value::Kind::Int64: case Value::Kind::Double:
            case Value::Kind::Bool:
                k.cls = SortKey::Number;
                k.number = v.ToDouble();
                numbers = true;
                break;
            case Value::Kind::Date:
                k.cls = SortKey::Date;
                k.date = v.ToDate();
                dates = true;
                break;
            case Value::Kind::Text:
                k.cls = SortKey::Other;
                k.text = v.TextIf();
                others = true;
                break;
        }
    }
    // Texts of numbers and dates only where they can meet a value of another class.
    const bool numberTexts = dates || others, dateTexts = numbers || others;
    if (numberTexts || dateTexts)
        for (size_t r = 0; r < rows.size(); ++r)
            if ((keys[r].cls == SortKey::Number && numberTexts) || (keys[r].cls == SortKey::Date && dateTexts)) {
                keys[r].owned = rows[r][field].ToText();
                keys[r].text = &keys[r].owned;
            }
    return keys;
}

}  // namespace

Recordset::Recordset(std::shared_ptr<Session> session, std::string source, std::shared_ptr<const RowSet> rows)
    : c_(std::make_shared<Cursor>()) {
    c_->session = std::move(session);
    c_->source = std::move(source);
    c_->rows = std::move(rows);
    c_->order.resize(c_->rows->rows.size());
    std::iota(c_->order.begin(), c_->order.end(), 0);
    c_->pos = c_->order.empty() ? 0 : 0;
    c_->open = true;
}

Recordset::Cursor& Recordset::Cur() const {
    if (!c_ || !c_->open) Closed();
    return *c_;
}

bool Recordset::IsOpen() const { return c_ && c_->open; }

void Recordset::Close() {
    if (!c_) return;
    c_->open = false;
    c_->session.reset();
}

int Recordset::FieldCount() const { return static_cast<int>(Cur().rows->fields.size()); }

const FieldInfo& Recordset::Field(int index) const {
    auto& f = Cur().rows->fields;
    if (index < 0 || index >= static_cast<int>(f.size()))
        throw Error(ErrorCode::ItemNotFound, "在对应所需名称或序数的集合中，未找到项目。");
    return f[index];
}

int Recordset::FieldIndex(std::string_view name) const {
    auto& f = Cur().rows->fields;
    for (size_t i = 0; i < f.size(); ++i)
        if (EqualNoCase(f[i].name, name)) return static_cast<int>(i);
    return -1;
}

const FieldInfo& Recordset::Field(std::string_view name) const { return Field(FieldIndex(name)); }

const Value& Recordset::Get(int index) const {
    auto& c = Cur();
    if (c.pos < 0 || c.pos >= static_cast<long>(c.order.size()))
        throw Error(ErrorCode::NoCurrentRecord, "BOF 或 EOF 中有一个是“真”，或者当前的记录已被删除，所需的操作要求一个当前的记录。");
    Field(index);
    return c.rows->rows[c.order[c.pos]][index];
}

const Value& Recordset::Get(std::string_view name) const {
    int i = FieldIndex(name);
    if (i < 0) throw Error(ErrorCode::ItemNotFound, "在对应所需名称或序数的集合中，未找到项目。");
    return Get(i);
}

const Value& Recordset::At(int row, int field) const {
    auto& c = Cur();
    return c.rows->rows.at(c.order.at(row)).at(field);
}

int Recordset::RowIdAt(int row) const { return Cur().order.at(row); }
std::shared_ptr<const RowSet> Recordset::Rows() const { return Cur().rows; }

long Recordset::RecordCount() const { return static_cast<long>(Cur().order.size()); }
bool Recordset::IsBOF() const { auto& c = Cur(); return c.order.empty() || c.pos < 0; }
bool Recordset::IsEOF() const { auto& c = Cur(); return c.order.empty() || c.pos >= static_cast<long>(c.order.size()); }

void Recordset::Moved() {
    auto& c = Cur();
    // Copies: a callback may replace the callbacks.
    auto mc = c.moveComplete;
    auto ls = c.listeners;
    if (mc) mc();
    for (auto& [t, f] : ls) f();
}

void Recordset::MoveFirst() { Cur().pos = 0; Moved(); }
void Recordset::MoveLast() { auto& c = Cur(); c.pos = static_cast<long>(c.order.size()) - 1; Moved(); }
void Recordset::MoveNext() {
    auto& c = Cur();
    if (IsEOF()) throw Error(ErrorCode::NoCurrentRecord, "BOF 或 EOF 中有一个是“真”，或者当前的记录已被删除，所需的操作要求一个当前的记录。");
    ++c.pos;
    Moved();
}
void Recordset::MovePrevious() {
    auto& c = Cur();
    if (IsBOF()) throw Error(ErrorCode::NoCurrentRecord, "BOF 或 EOF 中有一个是“真”，或者当前的记录已被删除，所需的操作要求一个当前的记录。");
    --c.pos;
    Moved();
}

long Recordset::AbsolutePosition() const {
    auto& c = Cur();
    if (IsBOF() || IsEOF()) return 0;
    return c.pos + 1;
}

void Recordset::SetAbsolutePosition(long position) {
    auto& c = Cur();
    if (position < 1 || position > static_cast<long>(c.order.size()))
        throw Error(ErrorCode::NoCurrentRecord, "记录位置超出范围。");
    c.pos = position - 1;
    Moved();
}

Recordset Recordset::Clone() const {
    auto& c = Cur();
    Recordset r(c.session, c.source, c.rows);
    return r;
}

void Recordset::Sort(const std::string& sortOrder) {
    auto& c = Cur();
    std::string s = sortOrder;
    while (!s.empty() && s.back() == ' ') s.pop_back();
    while (!s.empty() && s.front() == ' ') s.erase(s.begin());
    std::vector<int> order(c.rows->rows.size());
    std::iota(order.begin(), order.end(), 0);
    if (!s.empty()) {
        bool desc = false;
        std::string field = s;
        size_t sp = s.rfind(' ');
        if (sp != std::string::npos) {
            std::string dir = s.substr(sp + 1);
            if (EqualNoCase(dir, "DESC") || EqualNoCase(dir, "ASC")) {
                desc = EqualNoCase(dir, "DESC");
                field = s.substr(0, sp);
                while (!field.empty() && field.back() == ' ') field.pop_back();
            }
        }
        int f = FieldIndex(field);
        if (f < 0) throw Error(ErrorCode::ItemNotFound, "在对应所需名称或序数的集合中，未找到项目。");
        const std::vector<SortKey> keys = SortKeys(c.rows->rows, f);
        auto before = [&](int a, int b) {
            const int r = CompareKeys(keys[a], keys[b]);
            return desc ? r > 0 : r < 0;
        };
        // Rows that came in this order already (most lists are read in it) are left as they are.
        if (!std::is_sorted(order.begin(), order.end(), before)) std::stable_sort(order.begin(), order.end(), before);
    }
    c.order = std::move(order);
    c.sort = s;
    c.pos = 0;
    Moved();
}

const std::string& Recordset::SortSpec() const { return Cur().sort; }
const std::string& Recordset::Source() const { return Cur().source; }

void Recordset::Requery() {
    auto& c = Cur();
    if (!c.session || !c.session->IsOpen()) Closed();
    c.session->Trace(c.source);
    c.rows = c.session->Get().Query(c.source);
    c.order.resize(c.rows->rows.size());
    std::iota(c.order.begin(), c.order.end(), 0);
    c.sort.clear();
    c.pos = 0;
    Moved();
}

void Recordset::SetMoveComplete(std::function<void()> callback) { Cur().moveComplete = std::move(callback); }

int Recordset::AddMoveListener(std::function<void()> listener) {
    auto& c = Cur();
    int t = c.nextToken++;
    c.listeners[t] = std::move(listener);
    return t;
}

void Recordset::RemoveMoveListener(int token) {
    if (c_) c_->listeners.erase(token);
}

}  // namespace db
