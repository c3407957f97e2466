# graph command batch tests
