# media writer sources (added by their author).
