// Plays the rules benchmark's random games (written by rules_bench with
// VOSTRA_BENCH_MOVES=FILE) on @sabaki/go-board, checks that every game ends in
// the same position as ours, and prints the moves per second of CPU time.
//
// usage: node compare.js MOVES_FILE [SECONDS]
'use strict'
const fs = require('fs')
const Board = require('@sabaki/go-board')

const file = process.argv[2]
const seconds = Number(process.argv[3] || 3)
const games = fs.readFileSync(file, 'utf8').trim().split('\n').map(line => {
    const [moves, final] = line.split('|')
    return {
        moves: moves.trim().split(' ').map(m => m.split(',').map(Number)),
        final: final.trim()
    }
})

const rules = {preventOverwrite: true, preventSuicide: true, preventKo: true}
const noKo = {sign: 0, vertex: [-1, -1]}

function play(game) {
    let board = Board.fromDimensions(19)
    let sign = 1
    for (const [col, row] of game.moves) {
        if (col === 20 && row === 20) {
            // A pass; it also ends any ko restriction, as in our rules.
            board = board.clone()
            board._koInfo = noKo
        } else {
            board = board.makeMove(sign, [col - 1, row - 1], rules)
        }
        sign = -sign
    }
    return board
}

// Same final positions first (the text lists rows top to bottom, columns
// left to right).
for (const [i, game] of games.entries()) {
    const board = play(game)
    let text = ''
    for (let y = 0; y < 19; y++)
        for (let x = 0; x < 19; x++) {
            const s = board.get([x, y])
            text += s === 1 ? 'X' : s === -1 ? 'O' : '.'
        }
    if (text !== game.final) {
        console.error(`game ${i}: @sabaki/go-board ends in a different position`)
        process.exit(1)
    }
}

let moves = 0
const start = process.cpuUsage()
let used = 0
for (let round = 0; used < seconds * 1e6; round++) {
    for (const game of games) {
        play(game)
        moves += game.moves.length
    }
    const u = process.cpuUsage(start)
    used = u.user + u.system
}
console.log(`@sabaki/go-board ${require('@sabaki/go-board/package.json').version}: ` +
            `${Math.round(moves / (used / 1e6))} moves/s (${moves} moves, node ${process.version})`)
