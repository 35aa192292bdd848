#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "data/QueryRoutines.h"
#include "data/SystemSettings.h"
#include "db/Error.h"
#include "db/TextUtil.h"
#include "ui/Toolkit.h"

namespace data {
namespace {

using db::text::Trim;

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

// Digits with an optional sign, decimal point and exponent; "inf", "nan" and the like are words,
// not numbers.
bool IsNumeric(const std::string& t) {
    if (t.empty()) return false;
    if (std::any_of(t.begin(), t.end(), [](unsigned char c) { return std::isalpha(c) && c != 'e' && c != 'E'; })) return false;
    double v = 0;
    const char* b = t.data();
    if (*b == '+') ++b;
    auto [p, ec] = std::from_chars(b, t.data() + t.size(), v);
    return ec == std::errc() && p == t.data() + t.size() && std::isfinite(v);
}

// "flag": true exactly for "1" or "TRUE" in any letter case.
bool Flag(const std::string& v) {
    std::string u = Upper(v);
    return u == "1" || u == "TRUE";
}

// "number with default d".
std::int32_t NumberOr(const std::string& v, std::int32_t d) {
    std::string t = Trim(Upper(v));
    if (t.empty() || !IsNumeric(t)) return d;
    return db::Value::Text(t).ToInt32();
}

// Empty gives 0, else the number; a text that is not a number raises.
db::Value EmptyZero(const std::string& v) {
    std::string t = Trim(v);
    if (t.empty()) return db::Value::Int16(0);
    return db::Value::Text(t);
}

}  // namespace

SystemSettings& Settings() {
    static SystemSettings settings;
    return settings;
}

std::string GetSystemProfile(const std::string& category, const std::string& key) {
    try {
        return data::GetFieldValue("Select FValue From t_SystemProfile Where FCategory='" + category + "' And FKey='" + key + "'",
                                   "FValue")
            .ToText();
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        return {};
    }
}

void LoadSystemSettings() {
    SystemSettings& s = Settings();
    try {
        data::GetSqlValue q;
        q.strSQL =
            "Select "
            "slws,pfjws,lsjws,sjws,hsjws,wsjws,cbjws,jjbl,ztdh,bz1,bz2,bz3,bz4,bz5,bz6,bz7,bz8,bz9,xz1,xz2,xz3,xz4,xz5,xz6,xz7"
            ",xz8,xz9,rkdsh,xhdsh,dcdsh,ykdsh,lsjz,ykfs,glph,phzx,sf_tag,zdxjbl,ywjz,jzyf,ckperiod,qyzt from sys_var";
        q.GetArrayValue();
        auto a = [&q](size_t i) -> const db::Value& { return q.Element(i); };
        std::int16_t* ints1[] = {&s.slws, &s.pfjws, &s.lsjws, &s.sjws, &s.hsjws, &s.wsjws, &s.cbjws, &s.jjbl, &s.ztdh};
        for (size_t i = 0; i < 9; ++i) *ints1[i] = a(i + 1).ToInt16();
        bool* bz[] = {&s.bz1, &s.bz2, &s.bz3, &s.bz4, &s.bz5, &s.bz6, &s.bz7, &s.bz8, &s.bz9};
        for (size_t i = 0; i < 9; ++i) *bz[i] = a(i + 10).ToBool();
        s.xz1 = a(19).ToInt16();
        switch (a(20).ToInt16()) {
            case 0: s.xz2 = 1; break;
            case 1: s.xz2 = 2; break;
            case 2: s.xz2 = 6; break;
            case 3: s.xz2 = 5; break;
            case 4: s.xz2 = 3; break;
            case 5: s.xz2 = 4; break;
            default: s.xz2 = 1; break;
        }
        std::int16_t* xz[] = {&s.xz3, &s.xz4, &s.xz5, &s.xz6, &s.xz7, &s.xz8, &s.xz9};
        for (size_t i = 0; i < 7; ++i) *xz[i] = a(i + 21).ToInt16();
        bool* flags[] = {&s.rkdsh, &s.xhdsh, &s.dcdsh, &s.ykdsh, &s.lsjz};
        for (size_t i = 0; i < 5; ++i) *flags[i] = a(i + 28).ToBool();
        s.ykfs = a(33).ToInt16();
        s.glph = a(34).ToBool();
        s.phzx = a(35).ToBool();
        s.sf_tag = a(36).ToText();
        std::int16_t* tail[] = {&s.zdxjbl, &s.ywjz, &s.jzyf, &s.ckperiod};
        for (size_t i = 0; i < 4; ++i) *tail[i] = a(i + 37).ToInt16();
        s.qyzt = a(41).ToBool();

        auto gl = [](const char* key) { return GetSystemProfile("GL", key); };
        s.ZJMStruct = EmptyZero(Trim(gl("ZJMStruct"))).ToInt32();
        s.ZJMSpliteChar = Trim(gl("ZJMSpliteChar"));
        s.SpliteOfMakeHH = Trim(gl("SpliteOfMakeHH"));
        s.LengthOfMakeHH = NumberOr(gl("LengthOfMakeHH"), 4);
        s.AutoMakeHH = Flag(gl("AutoMakeHH")) ? 1 : 0;
        s.AutoMakeSuperID = Flag(gl("AutoMakeSuperID")) ? 1 : 0;
        s.LengthOfForeSuperID = NumberOr(gl("LengthOfForeSuperID"), 1);
        s.LengthOfMakeSuperID = NumberOr(gl("LengthOfMakeSuperID"), 4);
        s.SpliteOfMakeSuperID = Trim(gl("SpliteOfMakeSuperID"));
        s.AutoMakeCustomID = Flag(gl("AutoMakeCustomID")) ? 1 : 0;
        s.LengthOfForeCustomID = NumberOr(gl("LengthOfForeCustomID"), 1);
        s.LengthOfMakeCustomID = NumberOr(gl("LengthOfMakeCustomID"), 4);
        s.SpliteOfMakeCustomID = Trim(gl("SpliteOfMakeCustomID"));
        struct FlagKey {
            const char* key;
            bool* field;
        };
        for (auto fk : {FlagKey{"CHKMaker", &s.CHKMaker}, FlagKey{"CHKSuper", &s.CHKSuper}, FlagKey{"CHKPFJ", &s.CHKPFJ},
                        FlagKey{"CHKLSJ", &s.CHKLSJ}, FlagKey{"CHKSJ", &s.CHKSJ}, FlagKey{"CHKSCDW", &s.CHKSCDW},
                        FlagKey{"CHKMJL", &s.CHKMJL}, FlagKey{"CHKZBZ", &s.CHKZBZ}, FlagKey{"CHKYSBZ", &s.CHKYSBZ},
                        FlagKey{"CHKZCSB", &s.CHKZCSB}, FlagKey{"CHKPZWH", &s.CHKPZWH}, FlagKey{"CHKZHJJ", &s.CHKZHJJ}})
            *fk.field = Flag(gl(fk.key));
        s.FCurrYear = EmptyZero(gl("FCurrYear")).ToInt16();
        s.FCurrPeriod = EmptyZero(gl("FCurrPeriod")).ToInt16();
        s.FinanceCloseInit = Flag(gl("FinanceCloseInit"));
        s.CHKCREATESJ = Flag(gl("CHKCREATESJ"));
        {
            std::string t = Trim(Upper(gl("SJRATIO")));
            s.SJRATIO = (t.empty() || !IsNumeric(t)) ? 0 : db::Value::Text(t).ToDouble();
        }
        s.COSTHSFS = Trim(Upper(gl("COSTHSFS"))) == "1";
        s.PCXZPCJJ = Trim(Upper(gl("PCXZPCJJ"))) == "1";
        {
            const std::string t = Trim(Upper(gl("STOCKPLANFLOW")));  // empty counts as "0"
            if (t.empty())
                s.STOCKPLANFLOW = 0;
            else if (t == "0" || t == "1" || t == "2")
                s.STOCKPLANFLOW = static_cast<std::int16_t>(t[0] - '0');
        }
        {
            std::string t = Trim(Upper(gl("STOCKBALANCE")));
            s.STOCKBALANCE1 = t == "1";
            s.STOCKBALANCE2 = t == "2";
        }
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
    // This module's own keys are read whatever became of the host's: a bad value in an unrelated
    // key must not quietly turn off the waiting of prices for their date.
    try {
        const std::int32_t percent = NumberOr(GetSystemProfile("GL", "PriceChangeWarnPercent"), kDefaultPriceChangeWarnPercent);
        s.PriceChangeWarnPercent = percent > 0 ? percent : kDefaultPriceChangeWarnPercent;
        s.PricesOnExecDate = Trim(GetSystemProfile("GL", "按执行日期生效")) == "1";
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Information, "系统提示");
    }
}

}  // namespace data
