// Keeps each report's arrangement (columns, filter, page set-up) in the operator's own settings
// file, one group per report code, so that it is there again the next time the report opens.
#pragma once
#include <QString>
#include <string>

#include "host/ReportSettings.h"

namespace host {

class ReportSettingsStore {
public:
    // file: the INI file to use; empty for DefaultFile().
    explicit ReportSettingsStore(QString file = {});

    // <the user's configuration folder>/subpricebill/report.ini
    static QString DefaultFile();
    const QString& File() const { return file_; }

    // What was saved for the code; the defaults when nothing was, or the file cannot be read.
    // At most columnLimit column definitions and filter rules are read (the report's columns),
    // texts are cut to 200 characters and numbers kept to their ranges.
    ReportSettings Load(const std::string& reportCode, int columnLimit = kMaxColumns) const;
    // More columns than a report can sensibly have.
    static constexpr int kMaxColumns = 1024;
    // Returns false when the file cannot be written.
    bool Save(const std::string& reportCode, const ReportSettings& settings) const;

private:
    QString file_;
};

}  // namespace host
