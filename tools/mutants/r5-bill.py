"""Faults in the editor's conflict note, the waiting prices' order and the import readers' guards."""
MUTANTS = [
    ("the open-bill note counts audited bills", "src/bill/PriceConflicts.cpp",
     "isnull(b.shbz,0)=0 and b.lsh<>'", "b.lsh<>'", ["bill_tests"]),
    ("waiting bills of one day applied in text order", "src/bill/PendingPrices.cpp",
     "order by zxrq,cast(lsh as int)", "order by zxrq,lsh", ["bill_tests"]),
    ("a row repeated in the file imported twice", "src/bill/ImportCheck.cpp",
     "        else if (repeated) r.verdict = Verdict::DuplicateInFile;\n", "", ["bill_tests"]),
    ("a zip member read without its CRC check", "src/bill/ZipArchive.cpp",
     "    if (crc != e->crc) Damaged();\n", "", ["bill_tests"]),
    ("a zip bomb's ratio not checked", "src/bill/ZipArchive.cpp",
     "    if (e->size > kRatioFrom && e->size > static_cast<std::uint64_t>(e->compressedSize) * kMaxRatio)\n",
     "    if (false)\n", ["bill_tests"]),
]
