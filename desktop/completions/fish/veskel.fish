# fish completion for veskel
complete -c veskel -s h -l help -d 'Show the help and exit'
complete -c veskel -l version -d 'Show the version and exit'
complete -c veskel -l lang -x -a 'ru en' -d 'Speak Russian or English'
complete -c veskel -k -x -a '(__fish_complete_suffix .vzk .png .jpg .jpeg .gif .bmp)'
