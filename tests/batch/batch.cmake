# batch mode tests
