# cli tests
