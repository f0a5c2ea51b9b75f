/* Starts a program on the X display and waits for its first top-level
 * window to be mapped; then asks that window to close (WM_DELETE_WINDOW)
 * and waits for the program to end. Prints four figures: microseconds from
 * start to the map, the program's peak resident set in KiB, the number of
 * shared objects it had mapped when its window appeared, and the processor
 * time it used in all, in microseconds.
 * Usage: map_waiter PROGRAM [ARGUMENT...]   (no window manager: the map is
 * the program's own)
 */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static long long now_us(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000LL + t.tv_nsec / 1000;
}

static int shared_objects(pid_t pid)
{
    char path[64], line[4096], last[4096] = "";
    int count = 0;
    snprintf(path, sizeof path, "/proc/%d/maps", (int)pid);
    FILE *maps = fopen(path, "r");
    if (!maps)
        return -1;
    while (fgets(line, sizeof line, maps)) {
        const char *name = strchr(line, '/');
        if (!name || !strstr(name, ".so") || strcmp(name, last) == 0)
            continue;
        snprintf(last, sizeof last, "%s", name);
        ++count;
    }
    fclose(maps);
    return count;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: map_waiter PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "map_waiter: no display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const long long start = now_us();
    const pid_t pid = fork();
    if (pid == 0) {
        close(ConnectionNumber(display));
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    Window window = 0;
    while (!window) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && !event.xmap.override_redirect)
            window = event.xmap.window;
    }
    const long long mapped = now_us() - start;
    const int objects = shared_objects(pid);

    XEvent close = {0};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &close);
    XFlush(display);

    int status = 0;
    struct rusage usage;
    if (wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status)) {
        fprintf(stderr, "map_waiter: %s did not end normally\n", argv[1]);
        return 1;
    }
    const long long cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL
                          + usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    printf("%lld %ld %d %lld\n", mapped, usage.ru_maxrss, objects, cpu);
    return 0;
}
