// A file written whole or not at all, through a descriptor opened here. The bytes go to a
// temporary file beside the target, created with O_CREAT|O_EXCL|O_NOFOLLOW (a name planted
// there, symlink or not, is never opened); every write is checked, the file is synced and closed
// with its result checked, and only then renamed to the target name. Until Commit succeeds the
// target is untouched, and the destructor removes the temporary file.
#pragma once
#include <sys/types.h>

#include <string>
#include <string_view>

namespace data {

class AtomicFile {
public:
    enum class Existing {
        Replace,  // the target is replaced (the name itself: a symlink there is replaced, not followed)
        Keep,     // an existing target makes Commit fail with EEXIST; Commit may then try another name
    };

    // Creates the temporary file; Ok() tells whether that worked. mode: the file's final
    // permissions (less the umask); it is 0600 while being written.
    explicit AtomicFile(std::string path, Existing existing = Existing::Replace, mode_t mode = 0644);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False once anything has failed; Errno() says what.
    bool Ok() const { return error_ == 0; }
    int Errno() const { return error_; }
    // A short Chinese description of Errno() ("磁盘空间已满" ...).
    std::string ErrorText() const;

    bool Write(const void* data, size_t size);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }

    // Syncs and closes the file and gives it the target name, or `name` (a file name in the same
    // folder) when given. Fails with EEXIST under Existing::Keep when the name is taken; another
    // name may be tried then. After a failure other than EEXIST the temporary file is gone.
    bool Commit(const std::string& name = {});
    // The file's path once committed.
    const std::string& Path() const { return path_; }

private:
    bool Fail(int error);
    bool Close();
    void Discard();

    std::string path_, folder_, temp_;
    Existing existing_;
    mode_t mode_;
    int fd_ = -1, dirFd_ = -1;
    int error_ = 0;
    bool committed_ = false;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
};

// The same description for any errno value.
std::string FileErrorText(int error);

// A text cell of a CSV file: quoted when it holds a separator, quote, line end or edge blank,
// and, when it begins with '=', '+', '-', '@', a tab or a carriage return and is not a plain
// number, preceded by "'" so that a spreadsheet program does not run it as a formula.
std::string CsvCell(std::string_view text);

}  // namespace data
