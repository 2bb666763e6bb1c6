/* The first process of the test guest. It loads the kernel modules the lane needs, puts the
 * host's root (shared read-only over 9p) together with the guest's own proc, sys, dev, tmp and
 * run, keeps the host folders it is told to keep visible under the guest's own /tmp, shares the
 * lane's output folder writable at its host path, and runs one of the lane's plans from there:
 * one command a line, each line's exit status written beside the plan. Then it powers the guest
 * off.
 *
 * Kernel command line: tq612.out=FOLDER (the output folder), tq612.plan=NAME (the plan in it,
 * default "plan"; the statuses go to NAME.results) and tq612.keep=PATH,PATH (host folders under
 * /tmp, such as a checkout there, that the guest's /tmp would otherwise hide).
 *
 * Done here rather than in a shell script because every program a guest shell starts is read
 * over 9p, which makes each command cost a noticeable fraction of a second. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/reboot.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#define HOST "/host"

static void say(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    fputs("guest-init: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    va_end(args);
}

static void power_off(void)
{
    sync();
    reboot(RB_POWER_OFF);
    for (;;)
        pause();
}

static void fail(const char *what)
{
    say("%s: %s", what, strerror(errno));
    power_off();
}

static void mount_or_fail(const char *source, const char *target, const char *type, unsigned long flags,
                          const char *options)
{
    mkdir(target, 0755);
    if (mount(source, target, type, flags, options) != 0)
        fail(target);
}

static void make_folders(const char *path)
{
    char partial[1024];
    for (const char *slash = strchr(path + 1, '/');; slash = strchr(slash + 1, '/')) {
        const size_t length = slash ? (size_t)(slash - path) : strlen(path);
        snprintf(partial, sizeof partial, "%.*s", (int)length, path);
        mkdir(partial, 0755);
        if (!slash)
            return;
    }
}

static double seconds_since_boot(void)
{
    struct timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

/* /modules.list names the modules under /modules, dependencies first. */
static void load_modules(void)
{
    FILE *list = fopen("/modules.list", "r");
    if (!list)
        fail("/modules.list");
    char name[256];
    while (fgets(name, sizeof name, list)) {
        name[strcspn(name, "\n")] = 0;
        if (!*name)
            continue;
        char path[512];
        snprintf(path, sizeof path, "/modules/%s", name);
        const int fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            fail(path);
        if (syscall(SYS_finit_module, fd, "", 0) != 0 && errno != EEXIST)
            fail(path);
        close(fd);
    }
    fclose(list);
}

/* The value of key=value on the kernel command line, or NULL. */
static char *command_line_value(const char *key)
{
    static char line[4096];
    FILE *file = fopen("/proc/cmdline", "r");
    if (!file || !fgets(line, sizeof line, file))
        fail("/proc/cmdline");
    fclose(file);
    const size_t length = strlen(key);
    for (char *word = strtok(line, " \n"); word; word = strtok(NULL, " \n"))
        if (strncmp(word, key, length) == 0 && word[length] == '=')
            return strdup(word + length + 1);
    return NULL;
}

static int run(char *command)
{
    char *argv[64];
    int argc = 0;
    for (char *word = strtok(command, " "); word && argc < 63; word = strtok(NULL, " "))
        argv[argc++] = word;
    argv[argc] = NULL;
    if (argc == 0)
        return 0;
    const pid_t child = fork();
    if (child < 0)
        return 127;
    if (child == 0) {
        execv(argv[0], argv);
        say("%s: %s", argv[0], strerror(errno));
        _exit(127);
    }
    /* As the first process, it also reaps what daemons leave behind. */
    for (;;) {
        int status = 0;
        const pid_t ended = wait(&status);
        if (ended == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (ended < 0 && errno != EINTR)
            return 127;
    }
}

int main(void)
{
    mount_or_fail("devtmpfs", "/dev", "devtmpfs", 0, NULL);
    const int console = open("/dev/console", O_RDWR);
    if (console >= 0) {
        dup2(console, 0);
        dup2(console, 1);
        dup2(console, 2);
    }
    mount_or_fail("proc", "/proc", "proc", 0, NULL);
    mount_or_fail("sysfs", "/sys", "sysfs", 0, NULL);
    load_modules();

    const char *out = command_line_value("tq612.out");
    if (!out || *out != '/') {
        errno = EINVAL;
        fail("tq612.out= names no absolute folder");
    }
    /* The host's files do not change during the run, so the guest may cache them. */
    mount_or_fail("hostroot", HOST, "9p", MS_RDONLY, "trans=virtio,version=9p2000.L,msize=512000,cache=loose");
    mount_or_fail("proc", HOST "/proc", "proc", 0, NULL);
    mount_or_fail("sysfs", HOST "/sys", "sysfs", 0, NULL);
    mount_or_fail("configfs", HOST "/sys/kernel/config", "configfs", 0, NULL);
    mount_or_fail("devtmpfs", HOST "/dev", "devtmpfs", 0, NULL);
    mount_or_fail("devpts", HOST "/dev/pts", "devpts", 0, "gid=5,mode=620,ptmxmode=666");
    mount_or_fail("tmpfs", HOST "/dev/shm", "tmpfs", 0, "mode=1777");
    /* Host folders under /tmp are set aside before the guest's /tmp covers them, then moved back
     * to their own paths on top of it. */
    char *keep = command_line_value("tq612.keep");
    char *kept[16];
    int keeping = 0;
    for (char *path = keep ? strtok(keep, ",") : NULL; path && keeping < 16; path = strtok(NULL, ",")) {
        char host_path[1024], aside[64];
        snprintf(host_path, sizeof host_path, HOST "%s", path);
        snprintf(aside, sizeof aside, "/kept%d", keeping);
        mount_or_fail(host_path, aside, NULL, MS_BIND, NULL);
        kept[keeping++] = path;
    }
    mount_or_fail("tmpfs", HOST "/tmp", "tmpfs", 0, "mode=1777");
    for (int i = 0; i < keeping; ++i) {
        char host_path[1024], aside[64];
        snprintf(host_path, sizeof host_path, HOST "%s", kept[i]);
        snprintf(aside, sizeof aside, "/kept%d", i);
        make_folders(host_path);
        if (mount(aside, host_path, NULL, MS_MOVE, NULL) != 0)
            fail(host_path);
    }
    mount_or_fail("tmpfs", HOST "/run", "tmpfs", 0, "mode=755");
    char target[1024];
    snprintf(target, sizeof target, HOST "%s", out);
    mount_or_fail("results", target, "9p", 0, "trans=virtio,version=9p2000.L,msize=512000");
    if (chroot(HOST) != 0 || chdir(out) != 0)
        fail("chroot");

    setenv("PATH", "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin", 1);
    setenv("HOME", "/tmp", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    mkdir("/run/user", 0755);
    mkdir("/run/user/0", 0700);
    setenv("XDG_RUNTIME_DIR", "/run/user/0", 1);

    const char *plan_name = command_line_value("tq612.plan");
    if (!plan_name)
        plan_name = "plan";
    char results_name[512];
    snprintf(results_name, sizeof results_name, "%s.results", plan_name);
    FILE *plan = fopen(plan_name, "r");
    FILE *results = fopen(results_name, "w");
    if (!plan || !results)
        fail("plan or results in the output folder");
    say("ready after %.1f s", seconds_since_boot());
    char line[4096];
    while (fgets(line, sizeof line, plan)) {
        line[strcspn(line, "\n")] = 0;
        if (!*line || *line == '#')
            continue;
        char command[4096];
        snprintf(command, sizeof command, "%s", line);
        const double started = seconds_since_boot();
        say("run %s", line);
        const int status = run(command);
        say("exit %d after %.1f s: %s", status, seconds_since_boot() - started, line);
        fprintf(results, "%d\t%s\n", status, line);
        fflush(results);
    }
    fclose(results);
    fclose(plan);
    power_off();
    return 0;
}
