#pragma once
// A document that takes the place of its target file only once it is whole.
// It is written to a new file beside the target (".NAME.XXXXXX" in the same
// folder, so that the rename is atomic), and Commit renames it over the
// target: whoever opens the target finds the previous document or the whole
// new one, never a part of it, also after a full disk, a failed conversion
// or a killed process. A replacing file dropped without Commit removes its
// new file, unless KeepAs gave it a name of its own; the new files that
// killed conversions left are removed by the next one to the same target.
#include <chrono>
#include <memory>
#include <string>

#include "platform/Stream.h"

namespace tal {

class TReplacingFile final : public TStream {
public:
    // A new file of the same target untouched this long was left by a
    // conversion that was killed; the next conversion to the target removes it.
    static constexpr std::chrono::hours StaleAfter {1};

    // Creates the new file with the permissions a newly created target would
    // get (0666 less the umask); raises EFCreateError naming the target. A
    // target that is a symbolic link has its destination replaced, as
    // writing through the link would.
    explicit TReplacingFile(const std::string& target);
    ~TReplacingFile() override;
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override { return FFile->Read(buffer, count); }
    void Write(const void* buffer, std::size_t count) override { FFile->Write(buffer, count); }
    std::int64_t Position() const override { return FFile->Position(); }
    void SetPosition(std::int64_t position) override { FFile->SetPosition(position); }
    std::int64_t Size() const override { return FFile->Size(); }

    // The file whose contents are replaced, and the new file until it is renamed.
    const std::string& Target() const { return FTarget; }
    const std::string& TemporaryName() const { return FTemporary; }

    // Puts the document on the disk and in the target's place; an existing
    // target's permission bits carry over. Raises EWriteError or
    // EFCreateError (naming the target); the new file is removed then.
    void Commit();
    // Keeps what was written under another name in the same folder (the
    // document as far as it got), replacing a file of that name. Returns
    // false, and leaves the new file to be removed, when that fails.
    bool KeepAs(const std::string& name) noexcept;

private:
    std::string FTarget;
    std::string FTemporary;
    std::unique_ptr<TFileStream> FFile;
};

// The name under which a failed conversion keeps its document: the target
// with ".incomplete" before its extension ("Gulls.PDF" gives
// "Gulls.incomplete.PDF").
std::string IncompleteName(const std::string& target);

}  // namespace tal
