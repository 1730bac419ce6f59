#pragma once

#include "device/CdAudioDevice.h"
#include "DiscInfo.h"

// The disc database "cdplayer.ini", shared with other CD players: one section
// per disc, named by its DiscId. Only the platform's profile functions touch
// the file.
namespace DiscDatabase {

// The disc check of load and save: a disc is present, is not one lone data
// track and has no more tracks than a disc can hold. Computes the disc's
// identifier when it passes.
bool IdentifyDisc(CdAudioDevice& device, DiscId* id, int* trackCount);

// Fills record for the disc in the drive, with defaults for what the file
// lacks; without a playable disc the record is left reset. Never writes.
void load(CdAudioDevice& device, DiscInfo& record);

// The identifier that the last load computed; false when that load found no
// playable disc. The editor keeps it for the disc its copy describes.
bool LastLoadedId(DiscId* id);

// Replaces the section of the disc now in the drive; writes nothing without one.
// False when a write was refused (a Windows directory the user may not
// write to); the first refused write ends the save.
bool save(CdAudioDevice& device, const DiscInfo& record);

// Replaces the section of the disc with identifier id, whatever disc is in
// the drive now: the editor keeps the id of the disc it was opened for.
bool save(const DiscInfo& record, DiscId id);

// What save writes for a value, so that the profile functions read back the
// value itself: they take one pair of matching quotes off a value.
std::string StoredValueText(const std::string& value);

// The file's full path, for messages.
std::string FilePath();

}  // namespace DiscDatabase
