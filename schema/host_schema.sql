-- Host tables the price-adjustment module reads and writes, written once for every database the
-- module runs on. The placeholders in braces are the types and functions that differ between
-- them; HostSchema.cpp renders them per target:
--   {text(n)}, {text}  SQLite: varchar(n)/text COLLATE NOCASE   PostgreSQL: citext
--   {money}            numeric(18,4) on both
--   {datetime}         SQLite: datetime                         PostgreSQL: timestamp
--   {bit}              SQLite: bit                              PostgreSQL: smallint (0/1, as compared)
--   {ifnull}           SQLite: ifnull                           PostgreSQL: coalesce
--   {sqlite-only}      at the start of a statement: SQLite only
-- Column names and declared types follow the host database, because the embedded driver derives
-- each column's type class from the declared type: smallint -> small integer, int -> integer,
-- bit -> boolean, numeric(18,4) -> numeric, datetime -> time stamp, varchar(n)/text -> text.
-- The host compares text without regard to case: every text column compares so on every target
-- (COLLATE NOCASE, citext), and keys and indexes on those columns do the same.
-- Statements end with ';' at the end of a line; no ';' appears elsewhere.

-- System switches, exactly one row.
CREATE TABLE sys_var (
    slws     smallint,
    pfjws    smallint,
    lsjws    smallint,
    sjws     smallint,
    hsjws    smallint,
    wsjws    smallint,
    cbjws    smallint,
    jjbl     smallint,
    ztdh     smallint,
    bz1      {bit},
    bz2      {bit},
    bz3      {bit},
    bz4      {bit},
    bz5      {bit},
    bz6      {bit},
    bz7      {bit},
    bz8      {bit},
    bz9      {bit},
    xz1      smallint,
    xz2      smallint,
    xz3      smallint,
    xz4      smallint,
    xz5      smallint,
    xz6      smallint,
    xz7      smallint,
    xz8      smallint,
    xz9      smallint,
    rkdsh    {bit},
    xhdsh    {bit},
    dcdsh    {bit},
    ykdsh    {bit},
    lsjz     {bit},
    ykfs     smallint,
    glph     {bit},
    phzx     {bit},
    sf_tag   {text(20)},
    zdxjbl   smallint,
    ywjz     smallint,
    jzyf     smallint,
    ckperiod smallint,
    qyzt     {bit}
);

-- Key/value settings, grouped by category ("GL" for the branch-management modules).
CREATE TABLE t_SystemProfile (
    FCategory {text(30)} NOT NULL,
    FKey      {text(50)} NOT NULL,
    FValue    {text(255)},
    PRIMARY KEY (FCategory, FKey)
);

-- Replaceable selection statements; a NULL FSQL means the program's built-in statement.
CREATE TABLE GLSelect (
    FDH  {text(100)} NOT NULL PRIMARY KEY,
    FSQL {text}
);

-- Branches. lx is the branch type id (glsx.id where fid = 3).
CREATE TABLE gl_custom (
    tjbh {text(20)} NOT NULL PRIMARY KEY,
    mc   {text(80)},
    zjm  {text(20)},
    lx   {text(20)}
);
CREATE INDEX ix_gl_custom_zjm ON gl_custom (zjm);

-- Coded attribute lists; fid selects the list (3 = branch types).
CREATE TABLE glsx (
    id   {text(20)} NOT NULL,
    name {text(60)},
    fid  int         NOT NULL,
    PRIMARY KEY (fid, id)
);

-- Item categories.
CREATE TABLE kclb (
    id   {text(20)} NOT NULL PRIMARY KEY,
    name {text(60)}
);

-- Item master. pm_zjm is the mnemonic (pinyin initials) of pm; FDeleted = 1 marks a
-- withdrawn item, NULL and 0 both mean active.
CREATE TABLE yw_kck (
    hh      {text(30)} NOT NULL PRIMARY KEY,
    pm      {text(80)},
    gg      {text(40)},
    cd      {text(40)},
    pdw     {text(10)},
    lb      {text(20)},
    pm_zjm  {text(30)},
    FDeleted int
);
CREATE INDEX ix_yw_kck_pm_zjm ON yw_kck (pm_zjm);
CREATE INDEX ix_yw_kck_lb ON yw_kck (lb);

-- Selling price of an item at a branch (DWBH = branch code) or for a whole branch type
-- (DWBH = branch type id).
CREATE TABLE glprice (
    HH        {text(30)},
    DWBH      {text(20)},
    SJ        {money},
    ZK        {money},
    SELLPRICE {money}
);
CREATE UNIQUE INDEX ux_glprice_hh_dwbh ON glprice (HH, DWBH);
CREATE INDEX ix_glprice_dwbh ON glprice (DWBH);

-- Price-adjustment bill header. bz5 = '1' addresses a branch type (dwbh = type id);
-- '' or NULL addresses one branch (dwbh = branch code). shbz = audited, jzbz = posted.
CREATE TABLE SubAdjuctPrice (
    lsh      {text(20)} NOT NULL,
    kdrq     {datetime},
    execdate {datetime},
    bz       {text(200)},
    czry     {text(40)},
    fyear    int,
    fperiod  int,
    shbz     int,
    shry     {text(40)},
    jzbz     int,
    dwbh     {text(20)},
    bz5      {text(10)}
);
CREATE UNIQUE INDEX ux_SubAdjuctPrice_lsh ON SubAdjuctPrice (lsh);
CREATE INDEX ix_SubAdjuctPrice_jzbz_bz5 ON SubAdjuctPrice (jzbz, bz5);
-- Numbering takes max(cast(lsh as int)) at every new bill: with this index that is one step to
-- the last entry instead of a pass over every bill. SQLite gives a CAST the collation of its
-- operand, so the index names it, or the query could not use it. PostgreSQL would evaluate the
-- cast for every row written and refuse a serial that is not a number, so it goes without.
{sqlite-only}CREATE INDEX ix_SubAdjuctPrice_lsh_number ON SubAdjuctPrice (cast(lsh as int) COLLATE NOCASE);
-- The browser's clean-up (unaudited headers without lines, a Null flag counting as unaudited)
-- visits the unaudited bills only. A partial index: an index on shbz would also offer itself for
-- shbz=1, nearly every bill, and without statistics SQLite would take it for a selective one. Its
-- condition is the clean-up's own, as translated, or SQLite would not know that it applies.
CREATE INDEX ix_SubAdjuctPrice_unaudited ON SubAdjuctPrice (lsh, shbz) WHERE {ifnull}(shbz,0)=0;
-- An operator's open bills: the browser without the right to see all, and the detail report.
CREATE INDEX ix_SubAdjuctPrice_czry_jzbz ON SubAdjuctPrice (czry, jzbz);
-- The bills for one branch after a date: the audit's warning about later audits of the same items.
CREATE INDEX ix_SubAdjuctPrice_dwbh_kdrq ON SubAdjuctPrice (dwbh, kdrq);

-- Bill lines: old price sj1, new price sj2. pm is name\packing\origin\unit (gg, cd, pdw of the item).
CREATE TABLE SubAdjuctPricemx (
    lsh {text(20)},
    dh  {text(10)},
    hh  {text(30)},
    pm  {text(200)},
    sj1 {money},
    sj2 {money}
);
CREATE INDEX ix_SubAdjuctPricemx_lsh ON SubAdjuctPricemx (lsh);
CREATE INDEX ix_SubAdjuctPricemx_lsh_hh ON SubAdjuctPricemx (lsh, hh);
-- An item's lines across bills: other open bills changing the same item, later audits of it, its
-- price history.
CREATE INDEX ix_SubAdjuctPricemx_hh ON SubAdjuctPricemx (hh);

-- Operators and their rights per module. An operator holds a right only if a row grants it.
CREATE TABLE t_Operator (
    FCode {text(20)} NOT NULL PRIMARY KEY,
    FName {text(40)}
);

CREATE TABLE t_OperatorRight (
    FModule   {text(20)} NOT NULL,
    FOperator {text(20)} NOT NULL,
    FRight    {text(40)} NOT NULL,
    PRIMARY KEY (FModule, FOperator, FRight)
);
