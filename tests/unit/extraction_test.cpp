#include "install/extraction.h"

#include <gtest/gtest.h>

#include "fakes/fake_files.h"
#include "fakes/fake_platform.h"
#include "test_support.h"

namespace tk::install {
namespace {

using testing::Bytes;
using testing::Deflate;

constexpr PayloadEntry kTestCatalogue[] = {
    {201, "server.txt"},       {202, "+both.txt"},          {203, "+-both-data.txt"},
    {204, "-server-data.txt"}, {205, "sub\\deep\\x.txt"},   {206, "datax\\autoset.dat"},
    {207, "datax\\mred.dat"},  {208, "DATAX\\autoset.dat"}, {209, "+-datax\\mred.dat"},
};
constexpr PayloadEntry kTestLanguages[] = {{201, "languages\\data\\a.lng"}};

const std::string kInstall = "C:\\Install\\";
const std::string kData = "C:\\Data\\";

class ExtractionTest : public ::testing::Test {
protected:
    ExtractionTest() : extractor(files, resources, page, kTestCatalogue, kTestLanguages) {
        files.AddDirectoryTree("C:\\Install");
        files.AddDirectoryTree("C:\\Data");
        view.maximum = 24;
        for (const PayloadEntry& entry : kTestCatalogue) {
            resources.data[entry.id] = Deflate(Bytes("content of " + std::to_string(entry.id)));
        }
    }
    std::string Content(int id) { return "content of " + std::to_string(id); }
    // One entry written and put in place at once; what became of it, as the install's
    // notes tell it.
    enum class Outcome { Written, NotForEdition, Failed, Scheduled };
    Outcome Extract(int id, EditionCode edition) {
        return Settled(extractor.ExtractPayload(id, kInstall, kData, edition));
    }
    Outcome ExtractLanguage(int id) {
        return Settled(extractor.ExtractClientLanguage(id, kInstall, kData));
    }
    Outcome Settled(bool written) {
        const std::size_t noted = extractor.Notes().size();
        extractor.PutInPlace();
        if (extractor.Notes().size() > noted) {
            return extractor.Notes().back().scheduled ? Outcome::Scheduled : Outcome::Failed;
        }
        return written ? Outcome::Written : Outcome::NotForEdition;
    }
    // Whether a new extractor that wrote every entry of the edition found a damaged stream;
    // what it wrote goes again.
    bool DamageFound(EditionCode edition) {
        PayloadExtractor fresh(files, resources, page, kTestCatalogue, kTestLanguages);
        for (const PayloadEntry& entry : kTestCatalogue) {
            fresh.ExtractPayload(entry.id, kInstall, kData, edition);
        }
        if (edition == kClientEdition) {
            fresh.ExtractClientLanguage(201, kInstall, kData);
        }
        fresh.Discard();
        return fresh.Damaged();
    }

    fakes::FakeFiles files;
    fakes::FakeResources resources;
    fakes::FakeProgressView view;
    ProgressPage page{view};
    PayloadExtractor extractor;
};

TEST_F(ExtractionTest, EditionFilterAndMarkersRouteEachEntry) {
    struct Case {
        int id;
        EditionCode edition;
        Outcome outcome;
        std::string target;
    };
    const Case cases[] = {
        {201, kServerEdition, Outcome::Written, kInstall + "server.txt"},
        {201, kClientEdition, Outcome::NotForEdition, ""},
        {202, kServerEdition, Outcome::Written, kInstall + "both.txt"},
        {202, kClientEdition, Outcome::Written, kInstall + "both.txt"},
        {203, kServerEdition, Outcome::Written, kData + "both-data.txt"},
        {203, kClientEdition, Outcome::Written, kData + "both-data.txt"},
        {204, kServerEdition, Outcome::Written, kData + "server-data.txt"},
        {204, kClientEdition, Outcome::NotForEdition, ""},
    };
    for (const Case& c : cases) {
        files.files.clear();
        EXPECT_EQ(Extract(c.id, c.edition), c.outcome) << c.id << " edition " << int(c.edition);
        if (c.target.empty()) {
            EXPECT_TRUE(files.files.empty()) << c.id;
        } else {
            EXPECT_EQ(files.Text(c.target), Content(c.id)) << c.id;
            EXPECT_EQ(files.files.size(), 1u) << c.id;
        }
    }
}

TEST_F(ExtractionTest, EveryCallAdvancesTheBarEvenWhenSkipped) {
    for (int i = 0; i < 3; ++i) {
        Extract(201, kClientEdition);
    }
    EXPECT_EQ(view.position, 3);
    view.position = 24;
    Extract(202, kClientEdition);
    EXPECT_EQ(view.position, 24) << "the bar clamps at its maximum";
}

TEST_F(ExtractionTest, MissingSubfoldersAreCreated) {
    ASSERT_EQ(Extract(205, kServerEdition), Outcome::Written);
    EXPECT_TRUE(files.DirectoryExists("C:\\Install\\sub\\deep"));
    EXPECT_EQ(files.Text(kInstall + "sub\\deep\\x.txt"), Content(205));
    EXPECT_EQ(view.fileTexts.back(), "x.txt");
}

TEST_F(ExtractionTest, InflatesExactlyOnce) {
    const auto inner = Deflate(Bytes("language data"));
    resources.data[201] = Deflate(inner);
    ASSERT_EQ(Extract(201, kServerEdition), Outcome::Written);
    EXPECT_EQ(files.files[kInstall + "server.txt"], inner);
}

std::vector<std::uint8_t> Truncated() {
    auto stream = Deflate(Bytes(std::string(5000, 'x') + "tail"));
    stream.resize(stream.size() - 6);
    return stream;
}

TEST_F(ExtractionTest, BytesWithoutAZlibHeaderAreWrittenAsStoredDamagedStreamsNever) {
    for (const auto& raw : {Bytes("plain text, not compressed"), Bytes("")}) {
        resources.data[201] = raw;
        ASSERT_EQ(Extract(201, kServerEdition), Outcome::Written);
        EXPECT_EQ(files.files[kInstall + "server.txt"], raw);
    }
    files.files.clear();
    resources.data[201] = Truncated();
    EXPECT_EQ(Extract(201, kServerEdition), Outcome::Failed);
    EXPECT_TRUE(files.files.empty());
}

TEST_F(ExtractionTest, AStreamFoundDamagedWhileWrittenReplacesNothingNowOrAtTheRestart) {
    const std::string target = kInstall + "server.txt";
    files.files[target] = Bytes("old");
    resources.data[201] = Truncated();
    EXPECT_EQ(Extract(201, kServerEdition), Outcome::Failed);
    files.inUseFiles.insert(target);
    EXPECT_EQ(Extract(201, kServerEdition), Outcome::Failed);
    EXPECT_EQ(files.files,
              (std::map<std::string, fakes::FakeFiles::Bytes>{{target, Bytes("old")}}));
    EXPECT_TRUE(files.restartList.empty());
    ASSERT_EQ(extractor.Notes().size(), 2u);
    EXPECT_EQ(extractor.Notes()[0].why, FileShortfall::Damaged);
    EXPECT_EQ(extractor.Notes()[1].why, FileShortfall::Damaged);
}

TEST_F(ExtractionTest, TheDamageCheckCoversExactlyTheStreamsThisEditionInflates) {
    struct Case {
        int id;
        std::vector<std::uint8_t> bytes;
        bool serverDamaged;
        bool clientDamaged;
    };
    const Case cases[] = {
        {204, Truncated(), true, false},  // not installed by the Client edition
        {202, Truncated(), true, true},
        {201, Truncated(), true, true},    // the Client edition's language list uses it
        {206, Truncated(), false, false},  // a raw name: stored, never inflated
        {202, Bytes("no zlib header"), false, false},
    };
    EXPECT_FALSE(DamageFound(kServerEdition));
    for (const Case& c : cases) {
        const auto intact = resources.data[c.id];
        resources.data[c.id] = c.bytes;
        EXPECT_EQ(DamageFound(kServerEdition), c.serverDamaged) << c.id;
        EXPECT_EQ(DamageFound(kClientEdition), c.clientDamaged) << c.id;
        // A file that cannot be written is not read through on the way: its stream is
        // still checked.
        files.diskFull = true;
        EXPECT_EQ(DamageFound(kServerEdition), c.serverDamaged) << c.id << " on a full disk";
        files.diskFull = false;
        resources.data[c.id] = intact;
    }
    resources.data.erase(202);
    EXPECT_FALSE(DamageFound(kClientEdition)) << "a missing file fails by itself";
}

TEST_F(ExtractionTest, ADamagedLastStreamLeavesNoFileNoTemporaryFileAndNoFolderItMade) {
    files.files[kInstall + "both.txt"] = Bytes("old");
    resources.data[201] = Truncated();  // the Client edition's language file, written last
    for (const PayloadEntry& entry : kTestCatalogue) {
        extractor.ExtractPayload(entry.id, kInstall, kData, kClientEdition);
    }
    ASSERT_FALSE(extractor.Damaged());
    EXPECT_EQ(files.files.size(), 4u) << "three files wait beside their targets";
    extractor.ExtractClientLanguage(201, kInstall, kData);
    ASSERT_TRUE(extractor.Damaged());
    extractor.Discard();
    EXPECT_EQ(
        files.files,
        (std::map<std::string, fakes::FakeFiles::Bytes>{{kInstall + "both.txt", Bytes("old")}}));
    EXPECT_EQ(files.directories, (std::set<std::string>{"C:", "C:\\Data", "C:\\Install"}));
    extractor.PutInPlace();
    EXPECT_TRUE(extractor.Notes().empty()) << "nothing is left to put in place";
}

TEST_F(ExtractionTest, RawNamesAreNeverInflatedAndTheTestIsCaseSensitive) {
    for (int id : {206, 207}) {
        ASSERT_EQ(Extract(id, kServerEdition), Outcome::Written);
    }
    EXPECT_EQ(files.files[kInstall + "datax\\autoset.dat"], resources.data[206]);
    EXPECT_EQ(files.files[kInstall + "datax\\mred.dat"], resources.data[207]);
    Extract(208, kServerEdition);
    EXPECT_EQ(files.Text(kInstall + "DATAX\\autoset.dat"), Content(208));
    // The raw-name test looks at the path after the markers are removed.
    Extract(209, kClientEdition);
    EXPECT_EQ(files.files[kData + "datax\\mred.dat"], resources.data[209]);
}

TEST_F(ExtractionTest, FailuresLeaveExistingFilesAsTheyWere) {
    const std::string target = kInstall + "server.txt";
    files.files[target] = Bytes("old");

    files.busyFiles.insert(target);  // read-only: not scheduled for the restart either
    EXPECT_EQ(Extract(201, kServerEdition), Outcome::Failed);
    EXPECT_EQ(files.Text(target), "old");
    EXPECT_TRUE(files.restartList.empty());
    files.busyFiles.clear();

    files.diskFull = true;
    EXPECT_EQ(Extract(201, kServerEdition), Outcome::Failed);
    EXPECT_EQ(files.Text(target), "old");
    files.diskFull = false;

    resources.data.erase(201);
    EXPECT_EQ(Extract(201, kServerEdition), Outcome::Failed);
    EXPECT_EQ(files.Text(target), "old");
    EXPECT_EQ(view.fileTexts.back(), "server.txt") << "the name shows before the resource is read";

    EXPECT_EQ(Extract(999, kServerEdition), Outcome::NotForEdition) << "no such entry";
}

TEST_F(ExtractionTest, AFileInUseIsReplacedAtTheRestartByACopyBesideIt) {
    const std::string target = kInstall + "server.txt";
    const std::string copy = kInstall + "~server.txt";
    files.files[target] = Bytes("running");
    files.inUseFiles.insert(target);
    EXPECT_EQ(Extract(201, kServerEdition), Outcome::Scheduled);
    EXPECT_EQ(files.Text(target), "running");
    EXPECT_EQ(files.Text(copy), Content(201));
    EXPECT_FALSE(files.hiddenFiles.count(copy)) << "the restart would make the file hidden";
    using RestartList = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(files.restartList, (RestartList{{copy, target}}));

    // Once the file is free again it is replaced now, and the copy would only bring the
    // older content back at the restart: its rename goes, and so does the copy, at the
    // restart where something holds it now.
    files.inUseFiles.clear();
    files.lockedFiles.insert(copy);
    EXPECT_EQ(Extract(201, kServerEdition), Outcome::Written);
    EXPECT_EQ(files.restartList, (RestartList{{copy, ""}}));

    // Neither the rename nor the copy can go: the file is reported, not called installed.
    files.restartList = {{copy, target}};
    files.restartListUnwritable = true;
    EXPECT_EQ(Extract(201, kServerEdition), Outcome::Failed);
    // The rename of a copy that cannot be written is not added; nothing moves on a drive
    // that does not exist at the restart.
    files.lockedFiles.clear();
    files.restartList.clear();
    files.files.erase(copy);
    files.inUseFiles.insert(target);
    EXPECT_EQ(Extract(201, kServerEdition), Outcome::Failed);
    EXPECT_FALSE(files.FileExists(copy));
    files.restartListUnwritable = false;
    files.remoteDrives.insert("C:");
    EXPECT_EQ(Extract(201, kServerEdition), Outcome::Failed);
    EXPECT_FALSE(files.FileExists(copy));
    EXPECT_TRUE(files.restartList.empty());

    std::vector<FileShortfall> why;
    for (const FileNote& note : extractor.Notes()) {
        why.push_back(note.why);
    }
    EXPECT_EQ(why,
              (std::vector<FileShortfall>{FileShortfall::InUse, FileShortfall::StaleCopy,
                                          FileShortfall::InUse, FileShortfall::NoRestartHere}));
    EXPECT_TRUE(extractor.Notes()[0].scheduled);
    EXPECT_FALSE(extractor.Notes()[2].scheduled);
}

TEST_F(ExtractionTest, ADeletionLeftByOneRunNeverTakesTheCopyOfALaterRun) {
    const std::string target = kInstall + "server.txt";
    const std::string copy = kInstall + "~server.txt";
    files.files[target] = Bytes("old");
    files.inUseFiles.insert(target);  // the program runs: its copy waits for the restart
    ASSERT_EQ(Extract(201, kServerEdition), Outcome::Scheduled);
    files.inUseFiles.clear();  // it ended; a scanner holds the copy
    files.lockedFiles.insert(copy);
    ASSERT_EQ(Extract(201, kServerEdition), Outcome::Written);
    files.lockedFiles.clear();  // running again, and a newer version comes
    files.inUseFiles.insert(target);
    resources.data[201] = Deflate(Bytes("newer"));
    ASSERT_EQ(Extract(201, kServerEdition), Outcome::Scheduled);

    using RestartList = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(files.restartList, (RestartList{{copy, target}})) << "each name once";
    EXPECT_EQ(extractor.Restart().Ops(), (std::vector<RestartOp>{{copy, target}}));
    files.Restart();
    EXPECT_EQ(files.Text(target), "newer");
}

TEST_F(ExtractionTest, AnExistingWritableFileIsReplaced) {
    files.files[kInstall + "both.txt"] = Bytes("an older and longer version of the file");
    ASSERT_EQ(Extract(202, kClientEdition), Outcome::Written);
    EXPECT_EQ(files.Text(kInstall + "both.txt"), Content(202));
}

TEST_F(ExtractionTest, AFolderThatCannotBeMadeFailsTheFile) {
    files.uncreatableFolders.insert("C:\\Install\\sub");
    EXPECT_EQ(Extract(205, kServerEdition), Outcome::Failed);
    EXPECT_TRUE(files.files.empty());
}

TEST_F(ExtractionTest, ClientLanguageGoesToTheDataFolderWithoutFilter) {
    ASSERT_EQ(ExtractLanguage(201), Outcome::Written);
    EXPECT_EQ(files.Text(kData + "languages\\data\\a.lng"), Content(201));
    EXPECT_EQ(view.position, 1);
}

}  // namespace
}  // namespace tk::install
