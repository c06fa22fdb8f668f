// RunInChild: runs a piece of a test in a child process of its own.
//
// For what root is not bound by (permissions: the child first gives up
// root for the unprivileged user 65534 when asked to and when it has it),
// and for what must not reach the test process itself (a file size limit,
// an ignored signal). The body fills `output` with whatever the parent
// should see, and returns whether it succeeded; the child never runs the
// test framework's own code, it only ends.
#pragma once

#include <functional>
#include <string>

struct ChildResult {
  bool ok = false;     // the body ran and returned true
  std::string output;  // what it put into its output
};

ChildResult RunInChild(bool dropRoot, const std::function<bool(std::string& output)>& body);
