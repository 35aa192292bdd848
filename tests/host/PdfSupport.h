// PDF text through pdftotext (poppler-utils), one string per page, compared without blanks.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace host_test {

inline bool HavePdfToText() { return std::system("command -v pdftotext >/dev/null 2>&1") == 0; }

inline std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// What a shell command writes on its standard output.
inline std::string Output(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>/dev/null").c_str(), "r"), pclose);
    std::string text;
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) text.append(buffer, n);
    return text;
}

inline std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    for (size_t start = 0, end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    return parts;
}

// layout: a table row reads as one line.
inline std::vector<std::string> PdfPages(const std::string& path, bool layout = false) {
    return Split(Output(std::string("pdftotext ") + (layout ? "-layout " : "") + "-enc UTF-8 " + Quoted(path) + " -"), '\f');
}

inline std::string Joined(const std::vector<std::string>& pages) {
    std::string all;
    for (const auto& p : pages) all += p + "\n";
    return all;
}

inline std::string Squeezed(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\n' && c != '\t') out += c;
    return out;
}

inline bool Has(const std::string& text, const std::string& part) {
    return Squeezed(text).find(Squeezed(part)) != std::string::npos;
}

inline std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) files.push_back(e.path());
    return files;
}

}  // namespace host_test
