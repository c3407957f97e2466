# media audio sources (added by their author).
