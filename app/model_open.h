// model_open.h -- `ambler MODEL`: a model opened by name through
// ambler-import, run as a child process beside this program, into a cache
// of scene folders that a second open of the same unchanged model reuses.
#pragma once

#include <string>
#include <vector>

#include "app/author.h"

// The cache is kept below this many bytes: past it the scenes opened
// longest ago go first.
constexpr unsigned long long MODEL_CACHE_LIMIT = 2ULL << 30;

// True when the argument names a file that is a model rather than a scene
// (not a folder and not a file named Hod.pro).
bool LooksLikeModel(const std::string& argument);

// Imports the model into the cache unless an import of it as it is now is
// already there, and sets *folder to the scene folder. On failure returns
// false; ambler-import has said why on standard error.
bool OpenModel(const std::string& model, std::string* folder);

// The model open now (AuthorState::openModel).
OpenedModel& CurrentOpenModel();

// The files the open model was made from (the model and the textures it
// names), for the watch; empty when no model is open.
std::vector<std::string> OpenModelSources();

// Before F5 or a watched reload: imports the open model again when it or
// its textures changed, and enters the new scene folder. False when the
// import failed (the running scene stays; *problem says so).
bool RefreshOpenModel(std::string* problem);

// The cache folder: $XDG_CACHE_HOME/ambler, else ~/.cache/ambler.
std::string ModelCacheFolder();

// Drops the least recently opened scene folders until the cache holds at
// most limit bytes; keep is never dropped.
void TrimModelCache(const std::string& cache, unsigned long long limit, const std::string& keep);
