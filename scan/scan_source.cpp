#include "scan/scan_source.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

#include "platform/audio_cd.h"
#include "platform/volume_facts.h"

namespace ov2 {
namespace {

// Long enough for a drive to spin up, short enough that a mounter waiting for a password
// nobody will type does not hold the scan.
constexpr int kMountTimeoutMs = 10000;

std::string UnmountedMessage(const Drive& drive) {
    const std::string root{drive.letter, ':', '\\'};
    return "The disc in drive " + root + " (" + drive.device +
           ") has no mounted file system, and it could not be mounted. Mount the disc (for "
           "example by opening it in the file manager), then push the Scan Button again.";
}

}  // namespace

ScanSourceServices ScanSourceServices::Machine(std::function<void()> whileWaiting) {
    ScanSourceServices services;
    services.findDrive = [](char letter) { return FindDrive(letter); };
    services.audioTracks = [](const std::string& device) { return AudioTrackNumbers(device); };
    services.mount = [whileWaiting = std::move(whileWaiting)](const std::string& device) {
        return MountWithUdisks(device, kMountTimeoutMs, whileWaiting);
    };
    return services;
}

ScanSource ResolveScanSource(char letter, const ScanSourceServices& services) {
    ScanSource source;
    std::optional<Drive> drive = services.findDrive(letter);
    if (!drive) {
        source.kind = ScanSource::Kind::NoDrive;
        return source;
    }
    source.drive = *drive;
    if (drive->iso) {
        source.kind = ScanSource::Kind::IsoImage;
        source.root = drive->device;
        return source;
    }
    if (!drive->root.empty()) {
        source.kind = ScanSource::Kind::Folder;
        source.root = drive->root;
        return source;
    }
    if (drive->device.empty()) return source;  // nothing in the drive

    const std::optional<std::vector<int>> tracks = services.audioTracks(drive->device);
    if (tracks && !tracks->empty()) {
        source.kind = ScanSource::Kind::AudioTracks;
        source.tracks = *tracks;
        return source;
    }
    // No table of contents: no disc. An image is never mounted; an image without audio tracks
    // shows nothing, as such a disc would.
    if (!tracks || drive->image) return source;

    // A data disc whose file system nobody has mounted yet.
    if (services.mount(drive->device)) {
        if (std::optional<Drive> mounted = services.findDrive(letter);
            mounted && !mounted->root.empty()) {
            source.kind = ScanSource::Kind::Folder;
            source.drive = *mounted;
            source.root = mounted->root;
            return source;
        }
    }
    source.kind = ScanSource::Kind::Unmounted;
    source.message = UnmountedMessage(*drive);
    return source;
}

std::string UnreadableMessage(const ScanSource& source, const std::string& reason) {
    const bool image = source.kind == ScanSource::Kind::IsoImage;
    std::string text =
        (image ? "The disc image \"" : "The folder \"") + source.root + "\" cannot be read";
    if (!reason.empty()) text += " (" + reason + ")";
    return text + ". Nothing was recorded.";
}

DiscFacts SourceVolumeFacts(const ScanSource& source) {
    DiscFacts facts;
    switch (source.kind) {
        case ScanSource::Kind::Folder:
            facts = FolderVolumeFacts(source.root);
            break;
        case ScanSource::Kind::IsoImage:
            facts = ImageVolumeFacts(source.root);
            break;
        case ScanSource::Kind::AudioTracks:
            if (!source.drive.image) facts.model = DriveModel(source.drive.device);
            break;
        default:
            break;
    }
    facts.scannedAt = ScanTimeText();
    return facts;
}

bool IsOpticalSource(const ScanSource& source) {
    return source.drive.type == DriveType::CdRom && !source.drive.image &&
           source.kind != ScanSource::Kind::IsoImage;
}

bool MountWithUdisks(const std::string& device, int timeoutMs,
                     const std::function<void()>& whileWaiting) {
    QProcess mounter;
    mounter.setProcessChannelMode(QProcess::MergedChannels);
    mounter.start(QStringLiteral("udisksctl"),
                  QStringList{QStringLiteral("mount"), QStringLiteral("--no-user-interaction"),
                              QStringLiteral("-b"), QString::fromLocal8Bit(device)});
    if (!mounter.waitForStarted(2000)) return false;
    QElapsedTimer clock;
    clock.start();
    // Events run while waiting may already see the mounter finish.
    while (mounter.state() != QProcess::NotRunning && !mounter.waitForFinished(50)) {
        if (clock.elapsed() > timeoutMs) {
            mounter.kill();
            mounter.waitForFinished(1000);
            return false;
        }
        if (whileWaiting) whileWaiting();
    }
    return mounter.exitStatus() == QProcess::NormalExit && mounter.exitCode() == 0;
}

}  // namespace ov2
