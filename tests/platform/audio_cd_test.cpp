// The audio CD's table of contents and its track files, read from CUE/BIN images made here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/audio_cd.h"
#include "platform/audio_cd_info.h"
#include "platform/disc_toc.h"
#include "tests/support/drive_map.h"
#include "tests/support/cue_image.h"
#include "tests/support/message_recorder.h"
#include "tests/support/temp_dir.h"

void PrintTo(const CTrackPosition& p, std::ostream* out) {
    *out << p.minute << ':' << p.second << ':' << p.frame;
}

namespace {

using ov2::test::CueTrack;
using ov2::test::MessageRecorder;
using ov2::test::TempDir;
using ov2::test::WriteCueImage;
using ov2::test::WriteFileBytes;

CTrackPosition At(int minute, int second, int frame) { return {minute, second, frame}; }

const std::vector<std::string> kFailureMessages = {"Could not read track information",
                                                   "Please, insert a CD."};

using ov2::test::DriveMap;

// Data track 1, audio tracks 2 and 3: file frames 0, 750 (0:10:00) and 4505 (1:00:05), 10,000
// sectors in all.
std::string MixedImage(const TempDir& dir) {
    return WriteCueImage(dir.path(), "mixed", {{false, 0}, {true, 750}, {true, 4505}}, 10000)
        .string();
}

// ---------------------------------------------------------------- reading the table of contents

TEST(ReadToc, OneAudioTrackGivesItsStartWithTheLeadInAndTheTrueLeadOut) {
    TempDir dir;
    CAudioCdInfo info;
    ASSERT_TRUE(info.ReadDeviceToc(WriteCueImage(dir.path(), "one", {{}}, 1000).string()));
    // 1,000 sectors after the 150 of the lead-in: the lead-out is frame 1150.
    EXPECT_EQ(info.m_arrTracks, (std::vector{At(0, 2, 0), At(0, 15, 25)}));
    EXPECT_EQ(info.GetTrackCount(), 1);
}

TEST(ReadToc, LeadOutCarriesFramesIntoSecondsAndSecondsIntoMinutes) {
    TempDir dir;
    CAudioCdInfo info;
    // The last track starts at 0:30:70 and ends at 1:00:00: 30 + 29 seconds, and 70 + 4 frames
    // plus the added frame, carry twice.
    const auto cue = WriteCueImage(dir.path(), "carry", {{true, 0}, {true, 2170}}, 4350);
    ASSERT_TRUE(info.ReadDeviceToc(cue.string()));
    EXPECT_EQ(info.m_arrTracks, (std::vector{At(0, 2, 0), At(0, 30, 70), At(1, 0, 0)}));

    // A start at 0:59:74 and a length of 1:00:00 (less the frame) end at 2:00:00: the added
    // frame carries through the seconds into the minutes.
    const auto cue2 = WriteCueImage(dir.path(), "carry2", {{true, 0}, {true, 4349}}, 8850);
    ASSERT_TRUE(info.ReadDeviceToc(cue2.string()));
    EXPECT_EQ(info.m_arrTracks, (std::vector{At(0, 2, 0), At(0, 59, 74), At(2, 0, 0)}));
}

TEST(ReadToc, MixedDiscListsTheDataTrackAndEveryPositionExactly) {
    TempDir dir;
    CAudioCdInfo info;
    ASSERT_TRUE(info.ReadDeviceToc(MixedImage(dir)));
    EXPECT_EQ(info.m_arrTracks,
              (std::vector{At(0, 2, 0), At(0, 12, 0), At(1, 2, 5), At(2, 15, 25)}));
    EXPECT_EQ(info.GetTrackCount(), 3);
}

TEST(ReadToc, TwelveTracksBehindADataTrackAreAllListed) {
    TempDir dir;
    std::vector<CueTrack> tracks{{false, 0}};
    for (int k = 2; k <= 12; ++k) tracks.push_back({true, (k - 1) * 1500 + k * 7});
    CAudioCdInfo info;
    ASSERT_TRUE(info.ReadDeviceToc(WriteCueImage(dir.path(), "twelve", tracks, 20000).string()));
    ASSERT_EQ(info.GetTrackCount(), 12);
    EXPECT_EQ(info.m_arrTracks[1], At(0, 22, 14));
    EXPECT_EQ(info.m_arrTracks[11], At(3, 43, 9));
    EXPECT_EQ(info.m_arrTracks[12], At(4, 28, 50));
}

TEST(ReadToc, DriveLettersNameTheirImagesAndTheDiscIdFollowsTheTracks) {
    TempDir dir;
    // One track from 0:02:00 to 3:34:40.
    const auto cue = WriteCueImage(dir.path(), "album", {{}}, 15940);
    const DriveMap drives("E=cdrom:" + dir.path().string() + ";F=cdrom:" + cue.string());
    MessageRecorder messages;
    for (const char* root : {"f:\\", "F:", "f", ""}) {
        CAudioCdInfo info;
        ASSERT_TRUE(info.LoadFromDrive(root)) << root;
        EXPECT_EQ(info.m_arrTracks, (std::vector{At(0, 2, 0), At(3, 34, 40)}));
        EXPECT_EQ(info.m_nDiscId, 0x0200d401u);
    }
    EXPECT_TRUE(messages.Texts().empty());

    // E: is a folder, not a disc with a table of contents.
    CAudioCdInfo folder;
    EXPECT_FALSE(folder.ReadToc("e:\\"));
}

TEST(ReadToc, EveryUnreadableDiscShowsBothMessagesInOrderAndLeavesNoTracks) {
    TempDir dir;
    const std::string good = WriteCueImage(dir.path(), "good", {{}}, 1000).string();
    WriteCueImage(dir.path(), "orphan", {{}}, 1000);
    std::filesystem::remove(dir / "orphan.bin");
    WriteFileBytes(dir / "garbage.cue", "\x01\xFF not a sheet\r\nTRACK 99 NONSENSE\r\n");
    WriteFileBytes(dir / "garbage.bin", std::string(10 * ov2::test::kSectorBytes, '\0'));
    WriteCueImage(dir.path(), "data", {{false, 0}}, 1000);
    WriteCueImage(dir.path(), "empty", {{}}, 0);
    WriteCueImage(dir.path(), "backwards", {{true, 500}, {true, 100}}, 1000);
    WriteCueImage(dir.path(), "pastend", {{true, 0}, {true, 5000}}, 1000);

    const std::string folder = dir.path().string();
    const DriveMap drives("D=cdrom:" + folder + "/missing.cue;E=cdrom:" + folder +
                          "/orphan.cue;F=cdrom:" + folder + "/garbage.cue;G=cdrom:" + folder +
                          "/data.cue;H=cdrom:" + folder + "/empty.cue;I=cdrom:" + folder +
                          "/backwards.cue;J=cdrom:" + folder + "/pastend.cue;K=fixed:" + folder);
    for (const char* root : {"d:\\", "e:\\", "f:\\", "g:\\", "h:\\", "i:\\", "j:\\", "k:\\", "z:\\",
                             "not a drive", "\\\\server\\share"}) {
        CAudioCdInfo info;
        // Tracks of an earlier read must not survive a failed one.
        ASSERT_TRUE(info.ReadDeviceToc(good));
        MessageRecorder messages;
        EXPECT_FALSE(info.LoadFromDrive(root)) << root;
        EXPECT_EQ(messages.Texts(), kFailureMessages) << root;
        EXPECT_TRUE(info.m_arrTracks.empty()) << root;
        EXPECT_EQ(info.GetTrackCount(), 0);
    }
}

TEST(ReadToc, ATableOfContentsThatIsNoDiscIsRefused) {
    CAudioCdInfo info;
    ASSERT_TRUE(info.SetFromToc({{{1, 150, true}, {2, 900, false}}, 1000}));
    EXPECT_EQ(info.m_arrTracks, (std::vector{At(0, 2, 0), At(0, 12, 0), At(0, 13, 25)}));
    const std::vector<ov2::DiscToc> broken = {
        {{}, 1000},                                  // no track
        {{{1, 150, true}}, 150},                     // a track without a frame
        {{{1, 150, true}, {2, 150, true}}, 1000},    // two tracks at one place
        {{{1, 900, true}, {2, 150, true}}, 1000},    // falling positions
        {{{1, 150, false}, {2, 900, false}}, 1000},  // data only
    };
    for (const ov2::DiscToc& toc : broken) {
        ASSERT_TRUE(info.SetFromToc({{{1, 150, true}}, 1000}));
        EXPECT_FALSE(info.SetFromToc(toc));
        EXPECT_TRUE(info.m_arrTracks.empty());
    }
}

TEST(ReadToc, LibraryComplaintsStayOffStandardError) {
    TempDir dir;
    WriteCueImage(dir.path(), "orphan", {{}}, 1000);
    std::filesystem::remove(dir / "orphan.bin");
    testing::internal::CaptureStderr();
    CAudioCdInfo info;
    const bool read = info.ReadDeviceToc((dir / "orphan.cue").string()) ||
                      info.ReadDeviceToc((dir / "nothing.cue").string());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(read);
    EXPECT_EQ(err, "");
}

// ---------------------------------------------------------------- track files

TEST(AudioTracks, NumbersOfAudioTracksOnlyAndNoneWithoutATableOfContents) {
    TempDir dir;
    EXPECT_EQ(ov2::AudioTrackNumbers(MixedImage(dir)), (std::vector<int>{2, 3}));
    const auto data = WriteCueImage(dir.path(), "data", {{false, 0}}, 1000);
    EXPECT_EQ(ov2::AudioTrackNumbers(data.string()), std::vector<int>{});
    EXPECT_EQ(ov2::AudioTrackNumbers((dir / "missing.cue").string()), std::nullopt);
    EXPECT_EQ(ov2::AudioTrackNumbers(""), std::nullopt);
}

TEST(AudioTracks, FileNamesAndTheirNumbers) {
    EXPECT_EQ(ov2::TrackFileNames({2, 3, 10, 99}),
              (std::vector<std::string>{"Track02.cda", "Track03.cda", "Track10.cda", "Track99.cda"}));
    EXPECT_EQ(ov2::TrackNumberOfFileName("Track07.cda"), 7);
    EXPECT_EQ(ov2::TrackNumberOfFileName("TRACK99.CDA"), 99);
    for (const char* other : {"07 Intro.cda", "Track7.cda", "Track007.cda", "Track00.cda",
                              "Track07.cdab", "Track0x.cda", "Track-1.cda", "Track07", ""})
        EXPECT_EQ(ov2::TrackNumberOfFileName(other), std::nullopt) << other;
}

TEST(AudioTracks, UrlsOfDriveTracksAndNoneForImages) {
    ov2::Drive drive{'E', ov2::DriveType::CdRom, "", "/dev/sr1", false};
    EXPECT_EQ(ov2::TrackUrl(drive, 7).toStdString(), "cdda://sr1/Track 7.wav");
    EXPECT_EQ(ov2::TrackUrl(drive, 12).toStdString(), "cdda://sr1/Track 12.wav");
    EXPECT_TRUE(ov2::TrackUrl(drive, 0).isEmpty());
    EXPECT_TRUE(ov2::TrackUrl({'F', ov2::DriveType::CdRom, "", "/tmp/a.cue", true}, 1).isEmpty());
}

TEST(AudioTracks, ARecordedTrackIsFoundOnTheRecordedDriveFirstThenInLetterOrder) {
    TempDir dir;
    const std::string mixed = MixedImage(dir);
    const auto one = WriteCueImage(dir.path(), "one", {{}}, 1000).string();
    const DriveMap drives("E=cdrom:" + dir.path().string() + ";F=cdrom:" + mixed +
                          ";G=cdrom:" + one + ";H=cdrom:" + mixed);

    const auto place = [](const char* recorded) -> std::string {
        const auto found = ov2::LocateAudioTrack(recorded);
        return found ? std::string{found->drive.letter} + std::to_string(found->track) : "none";
    };
    EXPECT_EQ(place("h:\\Track03.cda"), "H3");
    EXPECT_EQ(place("d:\\Track03.cda"), "F3");
    EXPECT_EQ(place("d:\\track02.CDA"), "F2");
    EXPECT_EQ(place("f:\\Track01.cda"), "G1");  // F's track 1 holds data
    EXPECT_EQ(place("d:\\Track04.cda"), "none");
    EXPECT_EQ(place("f:\\music\\Track02.cda"), "none");
    EXPECT_EQ(place("f:\\02 Intro.cda"), "none");
    EXPECT_EQ(place("Track02.cda"), "none");
}

}  // namespace
