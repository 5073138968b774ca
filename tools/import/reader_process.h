// reader_process.h -- the model is read in a process of its own: Assimp
// parses untrusted bytes, and a reader that crashes, hangs, runs out of
// memory or is made to run code of the file's choosing must take nothing
// down with it and touch nothing but what it reads.
//
// The reading process is forked with no descriptors but standard input,
// output and error (all /dev/null) and the pipe it writes records to
// (model_wire.h). It has an address-space limit of what it started with
// plus the scene reader's 1 GiB budget, no core dumps, no file size, and
// dies with the importer. A seccomp filter then lets it open files only
// for reading, write only to those four descriptors, and never create a
// process, run a program, open a socket or signal another process.
// The importer stops it after options.timeLimit seconds.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "tools/import/model_wire.h"

// What the reading process does once it is confined; true when all was
// sent. The program's is Assimp's read of options.model, sent whole; the
// tests give work that misbehaves in every way a hostile file could make
// the reader misbehave.
using ReaderWork = std::function<bool(RecordWriter& out)>;

// Starts the reading process for options.model. The source it returns
// takes the records and checks them; when anything goes wrong it ends the
// process and its error says, on one line, how the read ended: Assimp's
// message, a crash and its signal, the time or memory limit, a refused
// system call, or damaged records. Null with *error set when the process
// cannot be started or confined here.
std::unique_ptr<ModelSource> StartReaderProcess(const ImportOptions& options, const ProgressFn& progress,
                                                std::string* error, const ReaderWork& work = {});
