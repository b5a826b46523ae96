#pragma once

#include <functional>
#include <string>
#include <vector>

// The shared memory of the test plug-ins and the tests: every entry point of a
// test plug-in records its call here ("Alpha:Command(add a b)"), and tests
// leave answers here for the plug-ins to return (the viewer a module hands out).
// It is a shared library of its own so that the plug-ins, loaded privately by
// the registry, and the test executable see one and the same log.
namespace calllog {

__attribute__((visibility("default"))) void Record(const std::string& entry);
__attribute__((visibility("default"))) std::vector<std::string> Entries();
__attribute__((visibility("default"))) void Clear();

// Answers left by a test for a plug-in, by key (e.g. "Alpha:viewer").
__attribute__((visibility("default"))) void SetPointer(const std::string& key, void* value);
__attribute__((visibility("default"))) void* Pointer(const std::string& key);

// Actions left by a test for a plug-in to run, by key (e.g. "Callback:GetModuleName"):
// how a test makes a plug-in call back into the host. Running a missing one does nothing.
__attribute__((visibility("default"))) void SetAction(const std::string& key,
                                                      std::function<void()> action);
__attribute__((visibility("default"))) void RunAction(const std::string& key);

}  // namespace calllog
