// flyback-calc --jsonl as a co-process: a program that writes one request and
// waits must get its answer at once, although answers are written in blocks.
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// Runs the program with pipes to its standard input and output.
class CoProcess {
  public:
    // `nonBlocking`: the program's input is a pipe that this side has made
    // non-blocking, as some co-process libraries do.
    explicit CoProcess(const char* program, bool nonBlocking = false) {
        int toChild[2], fromChild[2];
        if (pipe(toChild) != 0 || pipe(fromChild) != 0) return;
        if (nonBlocking) fcntl(toChild[0], F_SETFL, fcntl(toChild[0], F_GETFL) | O_NONBLOCK);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(toChild[0], 0);
            dup2(fromChild[1], 1);
            close(toChild[1]);
            close(fromChild[0]);
            execl(program, program, "--jsonl", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        in_ = toChild[1];
        out_ = fromChild[0];
    }

    ~CoProcess() {
        CloseInput();
        if (out_ >= 0) close(out_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }

    bool Send(const std::string& line) {
        const std::string bytes = line + "\n";
        return write(in_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // One answer line, or "" when none came within the time limit. The limit
    // only catches an answer held back for good; it is far above any wait.
    std::string ReceiveLine(int timeoutMs = 10000) {
        std::string line;
        for (char c = 0; c != '\n';) {
            pollfd ready{out_, POLLIN, 0};
            if (poll(&ready, 1, timeoutMs) != 1 || read(out_, &c, 1) != 1) return "";
            line += c;
        }
        return line;
    }

    void CloseInput() {
        if (in_ >= 0) close(in_);
        in_ = -1;
    }

    int ExitStatus() {
        int status = -1;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
};

class CoProcessTest : public testing::TestWithParam<bool> {};

TEST_P(CoProcessTest, EachAnswerArrivesBeforeTheNextRequest) {
    CoProcess calc(FLYBACK_CALC_PATH, GetParam());
    const std::string requests[] = {R"(["60","368","200","20","75","5"])",
                                    R"(["60","368","200","","75","5"])", "[1]"};
    const std::string expected[] = {R"("text":" 6.2"}],"error":null})",
                                    R"("kind":"division_by_zero")", R"("kind":"bad_request")"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(calc.Send(requests[i]));
        const std::string answer = calc.ReceiveLine();
        ASSERT_FALSE(answer.empty()) << "no answer to request " << i;
        EXPECT_NE(answer.find(expected[i]), std::string::npos) << answer;
    }
    calc.CloseInput();
    EXPECT_EQ(calc.ReceiveLine(), "");
    EXPECT_EQ(calc.ExitStatus(), 2);
}

INSTANTIATE_TEST_SUITE_P(BlockingAndNonBlockingInput, CoProcessTest, testing::Bool());

}  // namespace
