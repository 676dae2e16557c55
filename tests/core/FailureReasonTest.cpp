// Every failure to read or write a file says why, in the user's language, under the
// message it always had.
#include "ScriptedHost.h"

#include "app/FileCommands.h"
#include "document/FileSource.h"
#include "document/FileTexts.h"
#include "document/SafeFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace vtm;
using namespace vtmtest;
namespace fs = std::filesystem;

namespace {
using Bytes = std::vector<std::uint8_t>;

struct InjectedFailure
{
    InjectedFailure(FileStep step, int error) { SetFailureForTesting(step, error); }
    ~InjectedFailure() { SetFailureForTesting(FileStep::None, 0); }
    InjectedFailure(const InjectedFailure &) = delete;
    InjectedFailure &operator=(const InjectedFailure &) = delete;
};

bool OnlyNamesLeft(const TempDir &dir, const std::vector<std::string> &names)
{
    std::vector<std::string> left;
    for (const auto &entry : fs::directory_iterator(dir.path))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    return left == names;
}
} // namespace

// Each step of both ways of writing fails once, as the system would fail it: the message
// names the step and the reason in both languages, and the old file and its older backup
// are as they were, with no temporary file left.
TEST(FailureReasons, EveryStepOfAWriteSaysWhyAndLeavesTheOldFile)
{
    struct Row
    {
        FileStep step;
        int error;
        bool inPlace;
        const char *english;
        const char *german;
    };
    const Row rows[] = {
        {FileStep::CreatingTemp, EROFS, false,
         "While creating the temporary file: the file system is read-only.",
         "Beim Anlegen der temporären Datei: das Dateisystem ist schreibgeschützt."},
        {FileStep::Writing, ENOSPC, false, "While writing: no space left on the disk.",
         "Beim Schreiben: kein Platz mehr auf dem Datenträger."},
        {FileStep::Syncing, EIO, false,
         "While syncing to the disk: input/output error (the disk may be failing or gone).",
         "Beim Sichern auf den Datenträger: Ein-/Ausgabefehler (der Datenträger ist vielleicht "
         "defekt oder entfernt)."},
        // A reason without a translation of its own keeps the system's words.
        {FileStep::MakingBackup, EXDEV, false, "While making the backup: Invalid cross-device link.",
         "Beim Anlegen der Sicherungskopie: Invalid cross-device link."},
        {FileStep::Renaming, EACCES, false, "While renaming into place: permission denied.",
         "Beim Umbenennen auf den Dateinamen: Zugriff verweigert."},
        {FileStep::Opening, EPERM, true, "While opening: permission denied.",
         "Beim Öffnen: Zugriff verweigert."},
        {FileStep::CopyingAside, EDQUOT, true,
         "While copying the old contents aside: the disk quota is used up.",
         "Beim Beiseitelegen des bisherigen Inhalts: das Speicherkontingent ist erschöpft."},
        {FileStep::WritingInPlace, EFBIG, true,
         "While writing into the file in place: the file would be too large for the file "
         "system.",
         "Beim Schreiben in die bestehende Datei: die Datei wäre zu groß für das Dateisystem."},
    };
    const Bytes old = {1, 2, 3, 4}, older = {9}, fresh = {5, 6, 7, 8, 9, 10};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.english);
        TempDir dir;
        const std::string file = dir / "a.bin";
        WriteFile(file, old);
        WriteFile(dir / "a.~bi", older);
        std::vector<std::string> names = {"a.bin", "a.~bi"};
        if (row.inPlace) { // a second name makes the save write in place
            ASSERT_EQ(::link(file.c_str(), (dir / "b.bin").c_str()), 0);
            names.push_back("b.bin");
        }
        std::sort(names.begin(), names.end());
        // With a backup, a failed write in place keeps the old bytes as that backup instead.
        const bool backup = row.step != FileStep::WritingInPlace;
        WriteOutcome outcome;
        {
            const InjectedFailure failure(row.step, row.error);
            outcome = WriteFileSafely(file, fresh.data(), std::int64_t(fresh.size()), backup);
        }
        EXPECT_EQ(outcome.result, WriteResult::Failed);
        EXPECT_EQ(ReadFile(file), old);
        EXPECT_EQ(ReadFile(dir / "a.~bi"), older);
        EXPECT_TRUE(OnlyNamesLeft(dir, names));
        EXPECT_EQ(WriteOutcomeMessage(LanguageEnglish, outcome).text,
                  std::string("Writing failed!\r") + row.english);
        EXPECT_EQ(WriteOutcomeMessage(LanguageGerman, outcome).text,
                  std::string("Konnte nicht schreiben!\r") + row.german);
    }

    // After the rename the bytes are there, but not known to be on the disk.
    TempDir dir;
    const std::string file = dir / "a.bin";
    WriteFile(file, old);
    WriteOutcome outcome;
    {
        const InjectedFailure failure(FileStep::SyncingFolder, EIO);
        outcome = WriteFileSafely(file, fresh.data(), std::int64_t(fresh.size()));
    }
    EXPECT_EQ(outcome.result, WriteResult::Failed);
    EXPECT_EQ(WriteOutcomeMessage(LanguageEnglish, outcome).text,
              "Writing failed!\rWhile syncing the folder to the disk: input/output error (the "
              "disk may be failing or gone).");
}

// What the name is when it cannot be opened or read as a document, said in both languages.
TEST(FailureReasons, RefusedOpensSayWhatTheNameIs)
{
    TempDir dir;
    WriteFile(dir / "plain", {1, 2, 3});
    const std::string fifo = dir / "fifo", socketName = dir / "socket";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketName.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::symlink((dir / "nothing").c_str(), (dir / "dangling").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "loop2").c_str(), (dir / "loop1").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "loop1").c_str(), (dir / "loop2").c_str()), 0);

    struct Row
    {
        std::string name;
        const char *english;
        const char *german;
    };
    std::vector<Row> rows = {
        {dir.path, "It is a folder.", "Es ist ein Ordner."},
        {fifo, "It is not a regular file but a FIFO (named pipe).",
         "Es ist keine gewöhnliche Datei, sondern eine FIFO (benannte Pipe)."},
        {socketName, "It is not a regular file but a socket.",
         "Es ist keine gewöhnliche Datei, sondern ein Socket."},
        {"/dev/null", "It is not a regular file but a character device.",
         "Es ist keine gewöhnliche Datei, sondern ein zeichenorientiertes Gerät."},
        {dir / "dangling", "While opening: it is a symbolic link to a file that does not exist.",
         "Beim Öffnen: es ist ein Verweis auf eine Datei, die nicht existiert."},
        {dir / "loop1", "While opening: too many symbolic links in a row (a link loop?).",
         "Beim Öffnen: zu viele Verweise hintereinander (eine Verweisschleife?)."},
        {dir / "missing/a.bin", "While opening: no such file or folder.",
         "Beim Öffnen: Datei oder Ordner existiert nicht."},
        {dir / "plain/a.bin", "While opening: a part of the path is not a folder.",
         "Beim Öffnen: ein Teil des Pfades ist kein Ordner."},
        // The first page of the process's own memory is never mapped.
        {"/proc/self/mem",
         "While reading at offset 0 (0h): input/output error (the disk may be failing or gone).",
         "Beim Lesen an Offset 0 (0h): Ein-/Ausgabefehler (der Datenträger ist vielleicht defekt "
         "oder entfernt)."},
    };
    if (::getuid() != 0) {
        WriteFile(dir / "secret", {1});
        ::chmod((dir / "secret").c_str(), 0);
        rows.push_back({dir / "secret", "While opening: permission denied.",
                        "Beim Öffnen: Zugriff verweigert."});
    }
    // One byte past the largest document, as a sparse file where the file system allows.
    {
        const int fd = ::open((dir / "huge").c_str(), O_CREAT | O_WRONLY, 0600);
        if (::ftruncate(fd, Document::MaxBufferSize + 1) == 0)
            rows.push_back({dir / "huge",
                            "The file is larger than the 1099511627776 bytes the editor can take.",
                            "Die Datei ist größer als die 1099511627776 Bytes, die der Editor "
                            "aufnehmen kann."});
        ::close(fd);
    }
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Document doc;
        FileFailure why;
        EXPECT_FALSE(doc.loadFile(row.name, false, &why));
        EXPECT_EQ(FailureReason(LanguageEnglish, why), row.english);
        EXPECT_EQ(FailureReason(LanguageGerman, why), row.german);
    }
    ::close(sock);
}

// A file read on demand that another program cuts while it is being saved: one dialog says
// that the save failed and why, and offers the reload; nothing is written.
TEST(FailureReasons, ASourceThatFailsDuringASaveIsOneDialog)
{
    Document::SetReadingOnDemandForTesting(0, FileSource::Limits{64, 2});
    TempDir dir;
    const std::string path = dir / "data.bin", copy = dir / "copy.bin";
    Bytes bytes(4096);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t(i * 7);
    WriteFile(path, bytes);
    Rig r(Bytes{});
    ASSERT_TRUE(r.ed.LoadFromFile(path));
    ASSERT_TRUE(r.s.doc.ReadsOnDemand());
    // Typed bytes between the file's pieces: the file is read again after the first piece.
    for (const std::int64_t at : {0, 1500, 3000}) {
        r.ed.MoveCursorToOffset(at, false, false);
        r.ed.FormKeyPress(U'a');
    }
    bool cut = false;
    r.host.stopWhen = [&](const JobMeter &meter) {
        if (!cut && meter.done() > 1000)
            cut = ::truncate(path.c_str(), 2000) == 0;
        return false;
    };
    r.host.clearLog();
    r.host.answers = {mrNo};
    EXPECT_FALSE(r.ed.files().SaveToFile(copy, true));
    EXPECT_TRUE(cut);
    EXPECT_FALSE(fs::exists(copy));
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.host.messages[0].text.rfind("Writing failed!\rFile " + path
                                                + " has been changed or truncated by another "
                                                  "program while it was open.\r\r",
                                            0),
              0u)
        << r.host.messages[0].text;
    EXPECT_TRUE(r.s.doc.isModified());
    Document::SetReadingOnDemandForTesting(-1, {});
}
