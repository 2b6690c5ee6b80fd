#include "child_case.hpp"

#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>

#include "support/test_support.hpp"

namespace kez::test {

Outcome RunInChild(CaseFn Case, const std::filesystem::path& Dir, bool AsNobody, unsigned Seconds) {
  if (AsNobody && ::chown(Dir.c_str(), 65534, 65534) != 0) return "cannot hand the folder over";
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "no pipe";
  const pid_t pid = ::fork();
  if (pid < 0) return "no child";
  if (pid == 0) {
    ::close(pipeFds[0]);
    if (AsNobody && (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                     ::setresuid(65534, 65534, 65534) != 0)) {
      ::_exit(2);
    }
    ::alarm(Seconds);
    Outcome o;
    try {
      o = Case(Dir);
    } catch (const std::exception& e) {
      o = std::string("raised ") + e.what();
    }
    (void)!::write(pipeFds[1], o.data(), o.size());
    ::_exit(o.empty() ? 0 : 1);
  }
  ::close(pipeFds[1]);
  std::string message;
  char buf[512];
  for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) {
    message.append(buf, static_cast<std::size_t>(n));
  }
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) return "the case hung";
  if (WIFEXITED(status) && WEXITSTATUS(status) == 2) return "cannot become nobody";
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return message.empty() ? "the child failed" : message;
  }
  return {};
}

std::string ChildCaseName(const testing::TestParamInfo<ChildCaseParam>& Info) {
  return std::string(std::get<0>(Info.param).Name) +
         (std::get<1>(Info.param) ? "_AsNobody" : "_AsSelf");
}

void RunChildCase(const ChildCaseParam& Param) {
  const auto& [c, asNobody] = Param;
  if (asNobody && ::geteuid() != 0) GTEST_SKIP() << "only root can run a case as another user";
  TempDir tmp;
  EXPECT_EQ(RunInChild(c.Run, tmp.Path(), asNobody), "");
}

}  // namespace kez::test
