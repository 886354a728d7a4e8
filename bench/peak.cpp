// velmora_peak FILE PROGRAM [ARGUMENT]...: runs PROGRAM with its output
// thrown away and writes its peak resident memory (KiB) into FILE. A small
// process of its own in between: a process started straight from the
// benchmark would be charged the benchmark's own memory (the system keeps
// the highest mark of the memory a process replaced when it started).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc < 3)
        return 2;
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return 1;
    std::FILE *out = std::fopen(argv[1], "w");
    if (!out)
        return 1;
    std::fprintf(out, "%ld\n", usage.ru_maxrss);
    return std::fclose(out) == 0 ? 0 : 1;
}
