# fish completion for veskel-render
set -l fields Text ProjectName TextX TextY Color1 Color2 Glow Border BorderColor Horizontal \
    MirrorPattern MirrorStrength Pattern PatternStrength Overlay OverlayX OverlayY OverlayWidth \
    OverlayHeight OverlayOpacity PictureSize Reserved1 Reserved2 Reserved3
complete -c veskel-render -s o -l output -r -F -d 'Image to write (- for standard output)'
complete -c veskel-render -l format -x -a 'png jpg gif bmp' -d 'Image format'
complete -c veskel-render -l quality -x -d 'JPEG quality, 1 to 100'
complete -c veskel-render -l save-project -r -F -d 'Also save the design as a project file'
complete -c veskel-render -l project -r -F -d 'Start from a project file'
complete -c veskel-render -l set -x -a (string join ' ' -- $fields=) -d 'Set one field: FIELD=VALUE'
complete -c veskel-render -l text -x -d 'Set the text as the text field does'
complete -c veskel-render -l reset-position -d 'Put the text back at the right edge'
complete -c veskel-render -l overlay -r -F -d 'Load a picture onto the banner'
complete -c veskel-render -l rounding -x -a 'nearest downward' -d 'Rounding mode'
complete -c veskel-render -l batch -r -F -d 'Text, CSV or JSON Lines batch (- for standard input)'
complete -c veskel-render -l batch-format -x -a 'lines csv jsonl' -d 'Batch file format'
complete -c veskel-render -l shard -x -d 'Render the K-th of N parts of a batch'
complete -c veskel-render -l jobs -x -d 'Threads for a batch'
complete -c veskel-render -s q -l quiet -d 'No progress report'
complete -c veskel-render -s h -l help -d 'Show the help and exit'
complete -c veskel-render -l version -d 'Show the version and exit'
