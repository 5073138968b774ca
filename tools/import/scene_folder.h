// scene_folder.h -- writing the scene folder all at once or not at all.
#pragma once

#include <string>

// Makes an empty temporary folder beside outDir. False when outDir exists
// and force is not set, when it exists but is no scene folder (no Hod.pro,
// not empty) or holds the model, or when nothing can be created there.
bool StartSceneFolder(const std::string& outDir, bool force, const std::string& model,
                      std::string* staging, std::string* error);
// Renames the temporary folder to outDir, replacing an existing one.
bool FinishSceneFolder(const std::string& staging, const std::string& outDir, std::string* error);
// Removes the temporary folder and everything in it.
void AbandonSceneFolder(const std::string& staging);
