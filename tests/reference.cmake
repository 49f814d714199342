# reference tests
