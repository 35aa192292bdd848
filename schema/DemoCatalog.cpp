#include "schema/DemoCatalog.h"

#include "schema/Random.h"

namespace schema::detail {

namespace {

constexpr Word kBranchNames[] = {
    {"城东店", "cdd"},   {"城西店", "cxd"},   {"城南店", "cnd"},     {"城北店", "cbd"},     {"中心店", "zxd"},
    {"火车站店", "hczd"}, {"人民路店", "rmld"}, {"解放路店", "jfld"}, {"新华店", "xhd"},     {"和平店", "hpd"},
    {"滨江店", "bjd"},   {"开发区店", "kfqd"}, {"大学城店", "dxcd"}, {"高新店", "gxd"},     {"湖滨店", "hbd"},
    {"东湖店", "dhd"},   {"西山店", "xsd"},   {"南湖店", "nhd"},     {"北苑店", "byd"},     {"友谊店", "yyd"},
    {"胜利店", "sld"},   {"光明店", "gmd"},   {"建设路店", "jsld"}, {"文化宫店", "whgd"}, {"体育馆店", "tygd"},
};

constexpr CodedName kBranchTypes[] = {
    {"1", "直营店"},
    {"2", "加盟店"},
    {"3", "社区店"},
    {"4", "旗舰店"},
};

// Same ids as the branch types on purpose: only the fid tells the lists apart.
constexpr CodedAttribute kOtherAttributes[] = {
    {1, "1", "华东区"}, {1, "2", "华北区"}, {1, "3", "华南区"},
    {2, "1", "月结"},   {2, "2", "现结"},
    {4, "1", "标准价"}, {4, "2", "会员价"}, {4, "3", "批发价"},
};

constexpr CodedName kCategories[] = {
    {"01", "粮油"},     {"02", "调味品"}, {"03", "饮料"},     {"04", "乳制品"},   {"05", "休闲食品"},
    {"06", "日化用品"}, {"07", "纸品"},   {"08", "酒类"},     {"09", "冷冻食品"}, {"10", "家居用品"},
};

constexpr ItemKind kItemKinds[] = {
    {{"大米", "dm"}, 0, "袋", {"5kg", "10kg", "2.5kg"}, 2990},
    {{"面粉", "mf"}, 0, "袋", {"2.5kg", "5kg", "1kg"}, 1590},
    {{"花生油", "hsy"}, 0, "桶", {"1.8L", "5L", "900ml"}, 3990},
    {{"菜籽油", "czy"}, 0, "桶", {"1.8L", "5L", "900ml"}, 2990},
    {{"挂面", "gm"}, 0, "包", {"500g", "1kg", "250g"}, 590},
    {{"小米", "xm"}, 0, "袋", {"1kg", "2.5kg", "500g"}, 1290},
    {{"酱油", "jy"}, 1, "瓶", {"500ml", "1L", "250ml"}, 890},
    {{"陈醋", "cc"}, 1, "瓶", {"500ml", "1L", "250ml"}, 690},
    {{"食盐", "sy"}, 1, "袋", {"400g", "1kg", "250g"}, 250},
    {{"白糖", "bt"}, 1, "袋", {"500g", "1kg", "250g"}, 590},
    {{"蚝油", "hy"}, 1, "瓶", {"510g", "700g", "260g"}, 990},
    {{"鸡精", "jj"}, 1, "袋", {"200g", "454g", "100g"}, 890},
    {{"绿茶", "lc"}, 2, "瓶", {"500ml", "1L", "250ml"}, 350},
    {{"矿泉水", "kqs"}, 2, "瓶", {"550ml", "1.5L", "380ml"}, 200},
    {{"橙汁", "cz"}, 2, "瓶", {"1L", "2L", "450ml"}, 1290},
    {{"可乐", "kl"}, 2, "瓶", {"500ml", "2L", "330ml"}, 350},
    {{"酸梅汤", "smt"}, 2, "瓶", {"500ml", "1L", "300ml"}, 450},
    {{"纯牛奶", "cnn"}, 3, "盒", {"250ml", "1L", "200ml"}, 350},
    {{"酸奶", "sn"}, 3, "杯", {"200g", "450g", "100g"}, 450},
    {{"奶粉", "nf"}, 3, "罐", {"800g", "900g", "400g"}, 16800},
    {{"奶酪", "nl"}, 3, "盒", {"200g", "500g", "100g"}, 2590},
    {{"饼干", "bg"}, 4, "包", {"200g", "400g", "100g"}, 690},
    {{"薯片", "sp"}, 4, "袋", {"70g", "135g", "40g"}, 790},
    {{"瓜子", "gz"}, 4, "袋", {"250g", "500g", "160g"}, 990},
    {{"巧克力", "qkl"}, 4, "盒", {"100g", "250g", "43g"}, 1590},
    {{"牛肉干", "nrg"}, 4, "袋", {"100g", "250g", "52g"}, 3590},
    {{"洗衣液", "xyy"}, 5, "瓶", {"2kg", "3kg", "1kg"}, 3990},
    {{"洗发水", "xfs"}, 5, "瓶", {"400ml", "750ml", "200ml"}, 4590},
    {{"牙膏", "yg"}, 5, "支", {"120g", "180g", "90g"}, 1290},
    {{"香皂", "xz"}, 5, "块", {"125g", "3x125g", "100g"}, 450},
    {{"洗洁精", "xjj"}, 5, "瓶", {"1.1kg", "1.5kg", "500g"}, 1090},
    {{"抽纸", "cz"}, 6, "提", {"6包", "10包", "3包"}, 1990},
    {{"卷纸", "jz"}, 6, "提", {"12卷", "27卷", "10卷"}, 2990},
    {{"湿巾", "sj"}, 6, "包", {"40片", "80片", "10片"}, 1290},
    {{"厨房纸", "cfz"}, 6, "提", {"4卷", "6卷", "2卷"}, 1590},
    {{"啤酒", "pj"}, 7, "听", {"500ml", "1L", "330ml"}, 490},
    {{"白酒", "bj"}, 7, "瓶", {"500ml", "1L", "250ml"}, 12800},
    {{"黄酒", "hj"}, 7, "瓶", {"500ml", "2.5L", "250ml"}, 1890},
    {{"葡萄酒", "ptj"}, 7, "瓶", {"750ml", "1.5L", "375ml"}, 8900},
    {{"水饺", "sj"}, 8, "袋", {"1kg", "2kg", "500g"}, 2590},
    {{"汤圆", "ty"}, 8, "袋", {"500g", "1kg", "300g"}, 1290},
    {{"速冻包子", "sdbz"}, 8, "袋", {"600g", "1kg", "300g"}, 1590},
    {{"冰淇淋", "bql"}, 8, "支", {"100g", "500g", "75g"}, 500},
    {{"保鲜膜", "bxm"}, 9, "卷", {"50m", "100m", "30m"}, 1290},
    {{"垃圾袋", "ljd"}, 9, "卷", {"45x50cm", "60x80cm", "30x40cm"}, 890},
    {{"拖把", "tb"}, 9, "把", {"标准型", "加大型", "旋转型"}, 4990},
    {{"衣架", "yj"}, 9, "包", {"10只", "20只", "5只"}, 1990},
};

constexpr Word kBrands[] = {
    {"华丰", "hf"}, {"康源", "ky"}, {"金穗", "js"}, {"绿野", "ly"}, {"福满", "fm"},
    {"佳禾", "jh"}, {"丰泽", "fz"}, {"东方", "df"}, {"百味", "bw"}, {"乐家", "lj"},
};

constexpr Word kQualifiers[] = {
    {"精选", "jx"}, {"经典", "jd"}, {"优质", "yz"}, {"特惠装", "thz"}, {"家庭装", "jtz"}, {"新品", "xp"},
};

constexpr std::string_view kOrigins[] = {
    "黑龙江", "吉林", "山东", "河南", "河北", "江苏", "浙江", "广东", "四川", "湖北", "福建", "上海",
};

constexpr std::string_view kBillRemarks[] = {
    "周末促销调价", "新品上市定价", "季节性调价", "进价上涨调价", "临期商品清理", "会员日活动", "竞品跟价",
};

}  // namespace

std::span<const Word> BranchNames() { return kBranchNames; }
std::span<const CodedName> BranchTypes() { return kBranchTypes; }
std::span<const CodedAttribute> OtherAttributes() { return kOtherAttributes; }
std::span<const CodedName> Categories() { return kCategories; }
std::span<const ItemKind> ItemKinds() { return kItemKinds; }
std::span<const Word> Brands() { return kBrands; }
std::span<const Word> Qualifiers() { return kQualifiers; }
std::span<const std::string_view> Origins() { return kOrigins; }
std::span<const std::string_view> BillRemarks() { return kBillRemarks; }

DrawnItem DrawItem(int index, Random& random)
{
    static constexpr double kPackingFactor[] = {1.0, 1.8, 0.6};
    const ItemKind& kind = random.Pick(ItemKinds());
    const Word& brand = random.Pick(Brands());
    DrawnItem item;
    item.code = std::to_string(100001 + index);
    item.name = std::string(brand.text);
    item.mnemonic = std::string(brand.initials);
    double price = kind.baseCents * random.Between(0.85, 1.25);
    if (random.Chance(0.4)) {
        const Word& qualifier = random.Pick(Qualifiers());
        item.name += qualifier.text;
        item.mnemonic += qualifier.initials;
        price *= 1.1;
    }
    item.name += kind.word.text;
    item.mnemonic += kind.word.initials;
    const int packing = random.Below(3);
    item.packing = std::string(kind.packings[static_cast<size_t>(packing)]);
    item.cents = price * kPackingFactor[packing];
    item.origin = std::string(random.Pick(Origins()));
    item.unit = std::string(kind.unit);
    item.category = std::string(Categories()[static_cast<size_t>(kind.category)].id);
    return item;
}

}  // namespace schema::detail
