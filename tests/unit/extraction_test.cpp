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
        ExtractOutcome outcome;
        std::string target;
    };
    const Case cases[] = {
        {201, kServerEdition, ExtractOutcome::Written, kInstall + "server.txt"},
        {201, kClientEdition, ExtractOutcome::NotForEdition, ""},
        {202, kServerEdition, ExtractOutcome::Written, kInstall + "both.txt"},
        {202, kClientEdition, ExtractOutcome::Written, kInstall + "both.txt"},
        {203, kServerEdition, ExtractOutcome::Written, kData + "both-data.txt"},
        {203, kClientEdition, ExtractOutcome::Written, kData + "both-data.txt"},
        {204, kServerEdition, ExtractOutcome::Written, kData + "server-data.txt"},
        {204, kClientEdition, ExtractOutcome::NotForEdition, ""},
    };
    for (const Case& c : cases) {
        files.files.clear();
        EXPECT_EQ(extractor.ExtractPayload(c.id, kInstall, kData, c.edition), c.outcome)
            << c.id << " edition " << int(c.edition);
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
        extractor.ExtractPayload(201, kInstall, kData, kClientEdition);
    }
    EXPECT_EQ(view.position, 3);
    view.position = 24;
    extractor.ExtractPayload(202, kInstall, kData, kClientEdition);
    EXPECT_EQ(view.position, 24) << "the bar clamps at its maximum";
}

TEST_F(ExtractionTest, MissingSubfoldersAreCreated) {
    ASSERT_EQ(extractor.ExtractPayload(205, kInstall, kData, kServerEdition),
              ExtractOutcome::Written);
    EXPECT_TRUE(files.DirectoryExists("C:\\Install\\sub\\deep"));
    EXPECT_EQ(files.Text(kInstall + "sub\\deep\\x.txt"), Content(205));
    EXPECT_EQ(view.fileTexts.back(), "x.txt");
}

TEST_F(ExtractionTest, InflatesExactlyOnce) {
    const auto inner = Deflate(Bytes("language data"));
    resources.data[201] = Deflate(inner);
    ASSERT_EQ(extractor.ExtractPayload(201, kInstall, kData, kServerEdition),
              ExtractOutcome::Written);
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
        ASSERT_EQ(extractor.ExtractPayload(201, kInstall, kData, kServerEdition),
                  ExtractOutcome::Written);
        EXPECT_EQ(files.files[kInstall + "server.txt"], raw);
    }
    files.files.clear();
    resources.data[201] = Truncated();
    EXPECT_EQ(extractor.ExtractPayload(201, kInstall, kData, kServerEdition),
              ExtractOutcome::Failed);
    EXPECT_TRUE(files.files.empty());
}

TEST_F(ExtractionTest, AStreamFoundDamagedWhileWrittenReplacesNothingNowOrAtTheRestart) {
    const std::string target = kInstall + "server.txt";
    files.files[target] = Bytes("old");
    resources.data[201] = Truncated();
    EXPECT_EQ(extractor.ExtractPayload(201, kInstall, kData, kServerEdition),
              ExtractOutcome::Failed);
    files.inUseFiles.insert(target);
    EXPECT_EQ(extractor.ExtractPayload(201, kInstall, kData, kServerEdition),
              ExtractOutcome::Failed);
    EXPECT_EQ(files.files,
              (std::map<std::string, fakes::FakeFiles::Bytes>{{target, Bytes("old")}}));
    EXPECT_TRUE(files.pendingRenames.empty());
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
    EXPECT_FALSE(extractor.PayloadDamaged(kServerEdition));
    for (const Case& c : cases) {
        const auto intact = resources.data[c.id];
        resources.data[c.id] = c.bytes;
        EXPECT_EQ(extractor.PayloadDamaged(kServerEdition), c.serverDamaged) << c.id;
        EXPECT_EQ(extractor.PayloadDamaged(kClientEdition), c.clientDamaged) << c.id;
        resources.data[c.id] = intact;
    }
    resources.data.erase(202);
    EXPECT_FALSE(extractor.PayloadDamaged(kClientEdition)) << "a missing file fails by itself";
}

TEST_F(ExtractionTest, FilesWrittenAfterTheCheckHoldTheirOwnContentEveryTime) {
    ASSERT_FALSE(extractor.PayloadDamaged(kClientEdition));
    // 201 is checked for the language list only; 202 is written twice from one check.
    EXPECT_EQ(extractor.ExtractClientLanguage(201, kInstall, kData), ExtractOutcome::Written);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(extractor.ExtractPayload(202, kInstall, kData, kClientEdition),
                  ExtractOutcome::Written);
        EXPECT_EQ(files.Text(kInstall + "both.txt"), Content(202)) << round;
    }
    EXPECT_EQ(files.Text(kData + "languages\\data\\a.lng"), Content(201));
    EXPECT_EQ(files.files.size(), 2u);

    ASSERT_FALSE(extractor.PayloadDamaged(kServerEdition));
    resources.data[203] = Deflate(Bytes("stored again after the check"));
    ASSERT_EQ(extractor.ExtractPayload(203, kInstall, kData, kServerEdition),
              ExtractOutcome::Written);
    EXPECT_EQ(files.Text(kData + "both-data.txt"), "stored again after the check");
}

TEST_F(ExtractionTest, RawNamesAreNeverInflatedAndTheTestIsCaseSensitive) {
    for (int id : {206, 207}) {
        ASSERT_EQ(extractor.ExtractPayload(id, kInstall, kData, kServerEdition),
                  ExtractOutcome::Written);
    }
    EXPECT_EQ(files.files[kInstall + "datax\\autoset.dat"], resources.data[206]);
    EXPECT_EQ(files.files[kInstall + "datax\\mred.dat"], resources.data[207]);
    extractor.ExtractPayload(208, kInstall, kData, kServerEdition);
    EXPECT_EQ(files.Text(kInstall + "DATAX\\autoset.dat"), Content(208));
    // The raw-name test looks at the path after the markers are removed.
    extractor.ExtractPayload(209, kInstall, kData, kClientEdition);
    EXPECT_EQ(files.files[kData + "datax\\mred.dat"], resources.data[209]);
}

TEST_F(ExtractionTest, FailuresLeaveExistingFilesAsTheyWere) {
    const std::string target = kInstall + "server.txt";
    files.files[target] = Bytes("old");

    files.busyFiles.insert(target);  // read-only: not scheduled for the restart either
    EXPECT_EQ(extractor.ExtractPayload(201, kInstall, kData, kServerEdition),
              ExtractOutcome::Failed);
    EXPECT_EQ(files.Text(target), "old");
    EXPECT_TRUE(files.pendingRenames.empty());
    files.busyFiles.clear();

    files.diskFull = true;
    EXPECT_EQ(extractor.ExtractPayload(201, kInstall, kData, kServerEdition),
              ExtractOutcome::Failed);
    EXPECT_EQ(files.Text(target), "old");
    files.diskFull = false;

    resources.data.erase(201);
    EXPECT_EQ(extractor.ExtractPayload(201, kInstall, kData, kServerEdition),
              ExtractOutcome::Failed);
    EXPECT_EQ(files.Text(target), "old");
    EXPECT_EQ(view.fileTexts.back(), "server.txt") << "the name shows before the resource is read";

    EXPECT_EQ(extractor.ExtractPayload(999, kInstall, kData, kServerEdition),
              ExtractOutcome::Failed);
}

TEST_F(ExtractionTest, AFileInUseIsReplacedAtTheRestartByACopyBesideIt) {
    const std::string target = kInstall + "server.txt";
    const std::string copy = kInstall + "~server.txt";
    files.files[target] = Bytes("running");
    files.inUseFiles.insert(target);
    EXPECT_EQ(extractor.ExtractPayload(201, kInstall, kData, kServerEdition),
              ExtractOutcome::Scheduled);
    EXPECT_EQ(files.Text(target), "running");
    EXPECT_EQ(files.Text(copy), Content(201));
    EXPECT_FALSE(files.hiddenFiles.count(copy)) << "the restart would make the file hidden";
    EXPECT_EQ(files.pendingRenames, (std::map<std::string, std::string>{{target, copy}}));

    // Once the file is free again it is replaced now, and the copy would only bring the
    // older content back at the restart: its rename goes, and so does the copy, at the
    // restart where something holds it now.
    files.inUseFiles.clear();
    files.lockedFiles.insert(copy);
    EXPECT_EQ(extractor.ExtractPayload(201, kInstall, kData, kServerEdition),
              ExtractOutcome::Written);
    EXPECT_TRUE(files.pendingRenames.empty());
    EXPECT_EQ(files.pendingDeletes, std::set<std::string>{copy});

    // Neither the rename nor the copy can go: the file is reported, not called installed.
    files.pendingRenames = {{target, copy}};
    files.restartListUnwritable = true;
    EXPECT_EQ(extractor.ExtractPayload(201, kInstall, kData, kServerEdition),
              ExtractOutcome::Failed);
    // The rename of a copy that cannot be written is not added; nothing moves on a drive
    // that does not exist at the restart.
    files.lockedFiles.clear();
    files.pendingRenames.clear();
    files.files.erase(copy);
    files.inUseFiles.insert(target);
    EXPECT_EQ(extractor.ExtractPayload(201, kInstall, kData, kServerEdition),
              ExtractOutcome::Failed);
    EXPECT_FALSE(files.FileExists(copy));
    files.restartListUnwritable = false;
    files.remoteDrives.insert("C:");
    EXPECT_EQ(extractor.ExtractPayload(201, kInstall, kData, kServerEdition),
              ExtractOutcome::Failed);
    EXPECT_FALSE(files.FileExists(copy));
    EXPECT_TRUE(files.pendingRenames.empty());

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

TEST_F(ExtractionTest, AnExistingWritableFileIsReplaced) {
    files.files[kInstall + "both.txt"] = Bytes("an older and longer version of the file");
    ASSERT_EQ(extractor.ExtractPayload(202, kInstall, kData, kClientEdition),
              ExtractOutcome::Written);
    EXPECT_EQ(files.Text(kInstall + "both.txt"), Content(202));
}

TEST_F(ExtractionTest, AFolderThatCannotBeMadeFailsTheFile) {
    files.uncreatableFolders.insert("C:\\Install\\sub");
    EXPECT_EQ(extractor.ExtractPayload(205, kInstall, kData, kServerEdition),
              ExtractOutcome::Failed);
    EXPECT_TRUE(files.files.empty());
}

TEST_F(ExtractionTest, ClientLanguageGoesToTheDataFolderWithoutFilter) {
    ASSERT_EQ(extractor.ExtractClientLanguage(201, kInstall, kData), ExtractOutcome::Written);
    EXPECT_EQ(files.Text(kData + "languages\\data\\a.lng"), Content(201));
    EXPECT_EQ(view.position, 1);
}

}  // namespace
}  // namespace tk::install
