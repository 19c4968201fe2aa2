#include "processes.h"

#include <cstdio>
#include <cstdlib>

#include "text/text.h"

namespace uidriver {

ProgramTracker::~ProgramTracker() {
  for (const Program& p : started_) ::CloseHandle(p.handle);
  if (port_) ::CloseHandle(port_);
  if (job_) ::CloseHandle(job_);
}

bool ProgramTracker::Start(std::string* error) {
  char dir[MAX_PATH] = {};
  UINT n = ::GetSystemDirectoryA(dir, sizeof dir);
  if (n > 0 && n < sizeof dir) systemDir_ = std::string(dir) + "\\";
  job_ = ::CreateJobObjectA(nullptr, nullptr);
  port_ = ::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
  if (!job_ || !port_) {
    *error = "cannot create the job object that reports started programs";
    return false;
  }
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT association{};
  association.CompletionKey = job_;
  association.CompletionPort = port_;
  if (!::SetInformationJobObject(job_, JobObjectAssociateCompletionPortInformation, &association,
                                 sizeof association) ||
      !::AssignProcessToJobObject(job_, ::GetCurrentProcess())) {
    *error = "cannot watch started programs with a job object (error " +
             std::to_string(::GetLastError()) + ")";
    return false;
  }
  return true;
}

// The image of a process, once it has one ("" while it is still starting).
std::string ImageOf(HANDLE process) {
  char image[MAX_PATH] = {};
  DWORD size = sizeof image;
  if (!::QueryFullProcessImageNameA(process, 0, image, &size)) return std::string();
  return std::string(image, size);
}

void ProgramTracker::Poll() {
  DWORD message = 0;
  ULONG_PTR key = 0;
  LPOVERLAPPED data = nullptr;
  while (::GetQueuedCompletionStatus(port_, &message, &key, &data, 0)) {
    if (message != JOB_OBJECT_MSG_NEW_PROCESS) continue;
    DWORD pid = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data));
    if (pid == ::GetCurrentProcessId()) continue;
    HANDLE h = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION |
                                 SYNCHRONIZE | PROCESS_TERMINATE,
                             FALSE, pid);
    if (h) started_.push_back({h, pid, std::string()});
  }
  // A process has no image name until it has started; it is sorted out
  // once it has one. One that ended without ever having one is dropped.
  for (auto it = started_.begin(); it != started_.end();) {
    if (it->image.empty()) {
      it->image = ImageOf(it->handle);
      if (!it->image.empty() && std::getenv("UIDRIVER_DEBUG")) {
        std::fprintf(stderr, "uidriver: process %lu started: %s\n",
                     static_cast<unsigned long>(it->pid), it->image.c_str());
      }
    }
    bool ended = ::WaitForSingleObject(it->handle, 0) == WAIT_OBJECT_0;
    bool system = !it->image.empty() && !systemDir_.empty() &&
                  text::StartsWithIgnoreCase(it->image, systemDir_);
    if (system || taken_.count(it->pid) || (it->image.empty() && ended)) {
      ::CloseHandle(it->handle);
      it = started_.erase(it);
    } else {
      ++it;
    }
  }
}

bool ProgramTracker::TakeNext(HANDLE* process, DWORD* pid) {
  // In the order they started; one still starting holds back the others.
  while (!started_.empty() && !started_.front().image.empty()) {
    Program p = started_.front();
    started_.pop_front();
    if (taken_.count(p.pid)) {
      ::CloseHandle(p.handle);
      continue;
    }
    taken_.insert(p.pid);
    *process = p.handle;
    *pid = p.pid;
    return true;
  }
  return false;
}

}  // namespace uidriver
