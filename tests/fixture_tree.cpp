#include "tests/fixture_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

constexpr uid_t kNobody = 65534;

void Check(bool ok, const std::string& what) {
  if (!ok) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
  }
}

void MakeParents(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0755);
  }
}

// Makes everything below `path` removable again (a test may have locked a
// folder), then removes it; links are never followed.
void RemoveTree(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) {
    return;
  }
  if (S_ISDIR(info.st_mode)) {
    ::chmod(path.c_str(), 0755);
    for (const std::string& name : ListingOrder(path)) {
      RemoveTree(path + "/" + name);
    }
    ::rmdir(path.c_str());
  } else {
    ::unlink(path.c_str());
  }
}

void AppendSnapshot(const std::string& path, std::ostringstream& out) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) {
    out << path << " gone\n";
    return;
  }
  out << path << " mode " << info.st_mode << " size " << info.st_size << " mtime "
      << info.st_mtim.tv_sec << "." << info.st_mtim.tv_nsec << "\n";
  if (S_ISLNK(info.st_mode)) {
    char target[4096];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
    out << " -> " << std::string(target, length > 0 ? length : 0) << "\n";
  } else if (S_ISREG(info.st_mode)) {
    std::ifstream file(path, std::ios::binary);
    out << file.rdbuf() << "\n";
  } else if (S_ISDIR(info.st_mode)) {
    for (const std::string& name : ListingOrder(path)) {
      AppendSnapshot(path + "/" + name, out);
    }
  }
}

}  // namespace

FixtureTree::FixtureTree() {
  char pattern[] = "/tmp/varimo-test-XXXXXX";
  Check(::mkdtemp(pattern) != nullptr, "mkdtemp");
  root_ = pattern;
  // Readable for the unprivileged child of RunUnprivileged.
  ::chmod(root_.c_str(), 0755);
}

FixtureTree::~FixtureTree() {
  RemoveTree(root_);
}

std::string FixtureTree::Path(const std::string& relative) const {
  return root_ + "/" + relative;
}

std::string FixtureTree::File(const std::string& relative, const std::string& bytes, mode_t mode) {
  const std::string path = Path(relative);
  MakeParents(path);
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    Check(file.good(), "create " + path);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  Check(::chmod(path.c_str(), mode) == 0, "chmod " + path);
  return path;
}

std::string FixtureTree::Folder(const std::string& relative, mode_t mode) {
  const std::string path = Path(relative);
  MakeParents(path + "/");
  Check(::chmod(path.c_str(), mode) == 0, "chmod " + path);
  return path;
}

std::string FixtureTree::Link(const std::string& relative, const std::string& target) {
  const std::string path = Path(relative);
  MakeParents(path);
  Check(::symlink(target.c_str(), path.c_str()) == 0, "symlink " + path);
  return path;
}

std::string FixtureTree::Fifo(const std::string& relative) {
  const std::string path = Path(relative);
  MakeParents(path);
  Check(::mkfifo(path.c_str(), 0644) == 0, "mkfifo " + path);
  return path;
}

std::string FixtureTree::Socket(const std::string& relative) {
  const std::string path = Path(relative);
  MakeParents(path);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  Check(path.size() < sizeof address.sun_path, "socket path too long");
  std::strcpy(address.sun_path, path.c_str());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  Check(fd >= 0, "socket");
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  Check(bound, "bind " + path);
  return path;
}

bool FixtureTree::EndlessDevice(const std::string& relative) {
  const std::string path = Path(relative);
  MakeParents(path);
  constexpr unsigned kMemoryDevices = 1;
  constexpr unsigned kZero = 5;
  return ::mknod(path.c_str(), S_IFCHR | 0644, makedev(kMemoryDevices, kZero)) == 0;
}

std::vector<std::string> ListingOrder(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    return names;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") {
      names.push_back(name);
    }
  }
  ::closedir(dir);
  return names;
}

int RunUnprivileged(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      ::_exit(127);
    }
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string SnapshotOf(const std::string& root) {
  std::ostringstream out;
  AppendSnapshot(root, out);
  return out.str();
}
