# posix tests
